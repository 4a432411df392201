// settings_bench [CONTAINERS] [FOLDER]
//
// Times LoadSettings on a file of CONTAINERS (20,000 by default) SearchDN
// keys against a plain read of the same file split into lines, and the first
// save of the defaults with two containers (36 keys) against writing the
// same bytes once to a temporary file with fsync, rename and the folder's
// fsync. FOLDER (default /var/tmp, a disk) holds the files. Prints medians
// and, last, the ratios (ours / plain). Touches no network; run it under
// `unshare -n` all the same, as the project's timings are.

#include "search/Settings.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double MedianMs(int runs, const std::function<void()>& prepare, const std::function<void()>& body) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        prepare();
        const auto t0 = Clock::now();
        body();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace

int main(int argc, char** argv) {
    const int containers = argc > 1 ? std::atoi(argv[1]) : 20000;
    const std::string base = argc > 2 ? argv[2] : "/var/tmp";
    std::string tmpl = base + "/findaro-bench-XXXXXX";
    if (!::mkdtemp(tmpl.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string folder = tmpl;
    const std::string ini = folder + "/findaro.INI";
    SetSettingsFilePath(ini);

    // The load: a file as an administrator with many containers would have.
    {
        std::ofstream out(ini, std::ios::binary);
        out << "[Settings]\r\nDNCount=" << containers << "\r\n";
        for (int i = 0; i < containers; ++i)
            out << "SearchDN" << i << "=OU=Team " << i << ",OU=Staff,DC=example,DC=com\r\n";
    }
    size_t loaded = 0;
    const double load = MedianMs(
        7, [] {}, [&] {
            LoadSettings();
            loaded = OptionsRec.SearchDN.size();
        });
    size_t lines = 0;
    const double split = MedianMs(
        7, [] {}, [&] {
            std::istringstream in(ReadAll(ini));
            std::vector<std::string> all;
            for (std::string line; std::getline(in, line);)
                all.push_back(line);
            lines = all.size();
        });
    if (loaded != static_cast<size_t>(containers) || lines != static_cast<size_t>(containers) + 2) {
        std::fprintf(stderr, "settings_bench: read %zu containers, %zu lines\n", loaded, lines);
        return 1;
    }

    // The first save: no file yet, the defaults and two containers.
    auto fresh = [&] {
        std::filesystem::remove(ini);
        SetSettingsFilePath(ini);
        LoadSettings();
        OptionsRec.SearchDN = {"OU=Staff,DC=example,DC=com", "CN=Users,DC=example,DC=com"};
    };
    const double save = MedianMs(15, fresh, [] { SaveSettings(); });
    const std::string saved = ReadAll(ini);
    const double write = MedianMs(15, [&] { std::filesystem::remove(ini); },
                                  [&] {
                                      const std::string tmp = folder + "/.plain";
                                      int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
                                      if (fd < 0 || ::write(fd, saved.data(), saved.size()) < 0 ||
                                          ::fsync(fd) != 0 || ::close(fd) != 0 ||
                                          ::rename(tmp.c_str(), ini.c_str()) != 0)
                                          std::abort();
                                      int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
                                      ::fsync(dir);
                                      ::close(dir);
                                  });
    std::filesystem::remove_all(folder);

    std::printf("load of %d containers: %.1f ms; plain read and line split: %.1f ms\n", containers,
                load, split);
    std::printf("first save (%zu bytes, 36 keys): %.2f ms; plain write, fsync, rename: %.2f ms\n",
                saved.size(), save, write);
    std::printf("ratio load/plain: %.2f\n", load / split);
    std::printf("ratio save/plain: %.2f\n", save / write);
    return 0;
}
