#pragma once
// A program started for a test or a benchmark, ended on every way out.

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

class ChildProcess {
  public:
    // Starts argv[0] (looked up in PATH when it has no slash) with the
    // current environment plus extraEnv ("NAME=value" entries win).
    explicit ChildProcess(const std::vector<std::string>& argv,
                          const std::vector<std::string>& extraEnv = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return pid_; }
    bool running();
    // Exit code (128 + signal number for a signal) once it ended within limit.
    std::optional<int> wait(std::chrono::milliseconds limit);
    // SIGTERM, then SIGKILL when it lingers; returns how it ended.
    int terminate();

  private:
    pid_t pid_ = -1;
    std::optional<int> status_;
};

// A fresh private directory, removed with everything in it.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};
