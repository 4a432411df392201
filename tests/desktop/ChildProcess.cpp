#include "ChildProcess.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace {

int decode(int status) {
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

} // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv,
                           const std::vector<std::string>& extraEnv) {
    std::map<std::string, std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry(*e);
        env[entry.substr(0, entry.find('='))] = entry;
    }
    for (const auto& entry : extraEnv)
        env[entry.substr(0, entry.find('='))] = entry;
    std::vector<std::string> envStrings;
    for (auto& [name, entry] : env)
        envStrings.push_back(entry);

    std::vector<std::string> args = argv;
    std::vector<char*> cargv, cenv;
    for (auto& a : args)
        cargv.push_back(a.data());
    cargv.push_back(nullptr);
    for (auto& e : envStrings)
        cenv.push_back(e.data());
    cenv.push_back(nullptr);

    // posix_spawnp searches the PATH of the caller, which is what we want.
    if (int rc =
            posix_spawnp(&pid_, args.at(0).c_str(), nullptr, nullptr, cargv.data(), cenv.data());
        rc != 0)
        throw std::runtime_error("cannot start " + args[0] + ": " + std::strerror(rc));
}

ChildProcess::~ChildProcess() {
    terminate();
}

bool ChildProcess::running() {
    return !wait(std::chrono::milliseconds(0)).has_value();
}

std::optional<int> ChildProcess::wait(std::chrono::milliseconds limit) {
    if (status_)
        return status_;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        int status = 0;
        const pid_t r = waitpid(pid_, &status, WNOHANG);
        if (r == pid_) {
            status_ = decode(status);
            return status_;
        }
        if (r < 0) {
            status_ = -1;
            return status_;
        }
        if (std::chrono::steady_clock::now() >= deadline)
            return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

int ChildProcess::terminate() {
    if (status_)
        return *status_;
    kill(pid_, SIGTERM);
    if (auto code = wait(std::chrono::seconds(3)))
        return *code;
    kill(pid_, SIGKILL);
    return wait(std::chrono::seconds(3)).value_or(-1);
}

TempDir::TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "findaro-test.XXXXXX").string();
    if (!mkdtemp(tmpl.data()))
        throw std::runtime_error("mkdtemp failed");
    path_ = tmpl;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}
