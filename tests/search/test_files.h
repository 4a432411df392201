#pragma once
// Small file-system helpers for the settings tests: a scratch folder, whole
// file reads and writes, and (on Linux, test_mounts.h) mounts that make
// writes fail even for root (which ignores permission bits).

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

class TempDir {
  public:
    TempDir() {
        // A fresh name under the system's temporary folder; forward slashes,
        // which every file call accepts on both platforms.
        std::mt19937_64 random(std::random_device{}() ^
                               static_cast<uint64_t>(
                                   std::chrono::steady_clock::now().time_since_epoch().count()));
        const std::filesystem::path base = std::filesystem::temp_directory_path();
        for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
            const std::filesystem::path candidate =
                base / ("findaro-test-" + std::to_string(random() % 1000000000000ull));
            std::error_code error;
            if (std::filesystem::create_directory(candidate, error))
                path_ = candidate.generic_string();
        }
        if (path_.empty())
            throw std::runtime_error("cannot make a scratch folder");
    }
    ~TempDir() {
        // Mounts made below it go first, or the removal fails with EBUSY.
        for (auto it = cleanups_.rbegin(); it != cleanups_.rend(); ++it)
            (*it)();
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    // Runs before the folder is removed, the last added first.
    void AddCleanup(std::function<void()> cleanup) { cleanups_.push_back(std::move(cleanup)); }

  private:
    std::string path_;
    std::vector<std::function<void()>> cleanups_;
};

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void WriteFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

// Whether anything has this name, a symbolic link included.
inline bool Exists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

// Every entry of a folder but "." and "..", sorted.
inline std::vector<std::string> ListDir(const std::string& path) {
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(path, error), end; !error && it != end;
         it.increment(error))
        names.push_back(it->path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

#ifndef _WIN32
#include "search/test_mounts.h"
#endif
