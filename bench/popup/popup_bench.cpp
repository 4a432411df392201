// Measures what a user feels of the pop-up: start-up to a ready tray icon,
// the time from Super+P to a painted window, and memory at rest. Findaro and
// the peer (a minimal Qt tray program) are measured alternately in one run on
// the same display; the figures are medians, printed last as ratios.
//
// popup_bench --findaro PATH --peer PATH [--runs N] [--popups M]
// Needs a desktop with a tray host: run it under tests/harness/with-desktop.

#include "../BenchFigures.h"
#include "ChildProcess.h"
#include "XDesktop.h"

#include <xcb/xcb_keysyms.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int BarWidth = 500; // the peer's width and the FormWidth we give Findaro
constexpr int BarHeight = 30; // both start collapsed to their search line

struct Samples {
    std::vector<double> startupMs, firstPopupMs, popupMs, rssKiB, pssKiB;
};

// Rss and Pss in KiB from smaps_rollup.
std::pair<double, double> memoryOf(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/smaps_rollup");
    double rss = 0, pss = 0;
    std::string key;
    double value = 0;
    std::string unit;
    while (in >> key) {
        if (key == "Rss:" || key == "Pss:") {
            in >> value >> unit;
            (key == "Rss:" ? rss : pss) = value;
        } else {
            std::string rest;
            std::getline(in, rest);
        }
    }
    return {rss, pss};
}

class Keyboard {
  public:
    explicit Keyboard(xcb_connection_t* c) : conn_(c), symbols_(xcb_key_symbols_alloc(c)) {}
    ~Keyboard() { xcb_key_symbols_free(symbols_); }
    Keyboard(const Keyboard&) = delete;
    Keyboard& operator=(const Keyboard&) = delete;

    // Presses the keys in order and releases them in reverse, as fingers do.
    void chord(std::initializer_list<xcb_keysym_t> keys) {
        std::vector<xcb_keycode_t> codes;
        for (xcb_keysym_t k : keys) {
            xcb_keycode_t* c = xcb_key_symbols_get_keycode(symbols_, k);
            if (!c)
                throw std::runtime_error("no key code for a key the benchmark needs");
            codes.push_back(c[0]);
            std::free(c);
        }
        for (auto c : codes)
            xcb_test_fake_input(conn_, XCB_KEY_PRESS, c, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        for (auto it = codes.rbegin(); it != codes.rend(); ++it)
            xcb_test_fake_input(conn_, XCB_KEY_RELEASE, *it, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        xcb_flush(conn_);
    }

  private:
    xcb_connection_t* conn_;
    xcb_key_symbols_t* symbols_;
};

struct Program {
    std::string label;
    std::string wmClass;
    std::vector<std::string> argv;
};

class Bench {
  public:
    Bench(XDesktop& desk) : desk_(desk), keys_(desk.connection()) {
        const XRect work = desk_.workArea();
        bar_ = {desk_.screenWidth() - BarWidth, work.height - BarHeight - 1, BarWidth, BarHeight};
    }

    void measure(const Program& p, int popups, Samples& out) {
        TempDir runtime;
        fs::create_directories(runtime.path() / "run");
        fs::permissions(runtime.path() / "run", fs::perms::owner_all);
        const std::vector<std::string> env{"XDG_RUNTIME_DIR=" + (runtime.path() / "run").string(),
                                           "TMPDIR=" + runtime.path().string()};
        if (!desk_.trayIcons(p.wmClass).empty())
            throw std::runtime_error(p.label + " already has a tray icon before it started");

        const auto t0 = Clock::now();
        ChildProcess child(p.argv, env);
        if (!waitUntil([&] { return !desk_.trayIcons(p.wmClass).empty(); },
                       std::chrono::seconds(20), std::chrono::milliseconds(1)))
            throw std::runtime_error(p.label + " showed no tray icon within 20 s");
        out.startupMs.push_back(msSince(t0));
        if (!waitUntil([&] { return desk_.superPGrabbed(); }, std::chrono::seconds(10)))
            throw std::runtime_error(p.label + " did not register Super+P");

        // At rest: the icon is up and nothing else happens for a while.
        std::this_thread::sleep_for(std::chrono::seconds(1));
        const auto [rss, pss] = memoryOf(child.pid());
        out.rssKiB.push_back(rss);
        out.pssKiB.push_back(pss);

        for (int i = 0; i < popups; ++i) {
            if (!waitUntil([&] { return !painted(); }, std::chrono::seconds(5)))
                throw std::runtime_error(p.label + "'s bar is on screen before the hot key");
            const auto k0 = Clock::now();
            keys_.chord({0xffeb /* Super_L */, 'p'});
            if (!waitUntil([&] { return painted(); }, std::chrono::seconds(10),
                           std::chrono::milliseconds(1)))
                throw std::runtime_error(p.label + " did not paint its bar after Super+P");
            // The first showing also creates the window; later ones only map it.
            (i == 0 ? out.firstPopupMs : out.popupMs).push_back(msSince(k0));
            std::this_thread::sleep_for(std::chrono::milliseconds(150));
            keys_.chord({0xff1b /* Escape */});
            if (!waitUntil([&] { return !painted(); }, std::chrono::seconds(5)))
                throw std::runtime_error(p.label + " did not hide on Esc");
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        if (int code = child.terminate(); code != 128 + 15 && code != 0)
            throw std::runtime_error(p.label + " ended with code " + std::to_string(code));
    }

  private:
    // The bar counts as painted once its gray background (right of the
    // buttons) and the white search field are both on screen; before that the
    // black root shows through.
    bool painted() const {
        const XImage bg = desk_.grab({bar_.x + bar_.width - 3, bar_.y + 15, 1, 1});
        const XImage field = desk_.grab({bar_.x + 92, bar_.y + 15, 1, 1});
        if (bg.pixels.empty() || field.pixels.empty())
            return false;
        const auto lum = [](uint32_t px) {
            return (((px >> 16) & 0xff) + ((px >> 8) & 0xff) + (px & 0xff)) / 3;
        };
        return bg.at(0, 0) == 0x808080 && lum(field.at(0, 0)) > 200;
    }

    XDesktop& desk_;
    Keyboard keys_;
    XRect bar_;
};

void report(const char* what, const char* unit, double findaro, double peer) {
    std::printf("%-30s findaro %9.1f %-3s  peer %9.1f %-3s  ratio %.2f\n", what, findaro, unit,
                peer, unit, peer > 0 ? findaro / peer : 0.0);
}

} // namespace

int main(int argc, char** argv) {
    auto opt = ParseOptions(argc, argv, {{"--runs", "5"}, {"--popups", "5"}});
    if (!opt.count("--findaro") || !opt.count("--peer")) {
        std::cerr << "usage: popup_bench --findaro PATH --peer PATH [--runs N] [--popups M]\n";
        return 2;
    }
    try {
        XDesktop desk;
        // Findaro reads its settings beside its executable, so it runs from a
        // copy with a settings file that matches the peer's bar.
        TempDir home;
        const fs::path findaro = home.path() / "findaro";
        fs::copy_file(opt["--findaro"], findaro);
        std::ofstream(home.path() / "findaro.INI")
            << "[Settings]\nFormWidth=" << BarWidth << "\nFormHeight=400\nHookHotkey=1\n";

        const Program programs[2] = {{"findaro", "findaro", {findaro.string()}},
                                     {"peer", "peer_tray", {opt["--peer"]}}};
        const int runs = std::stoi(opt["--runs"]);
        const int popups = std::stoi(opt["--popups"]);
        Bench bench(desk);
        Samples samples[2];
        TakeTurns(runs, [&](int which) { bench.measure(programs[which], popups, samples[which]); });
        std::printf("popup benchmark: %d runs, %d pop-ups each, medians\n", runs, popups);
        report("start-up to tray icon", "ms", median(samples[0].startupMs),
               median(samples[1].startupMs));
        report("first Super+P to painted bar", "ms", median(samples[0].firstPopupMs),
               median(samples[1].firstPopupMs));
        report("later Super+P to painted bar", "ms", median(samples[0].popupMs),
               median(samples[1].popupMs));
        report("memory at rest, RSS", "KiB", median(samples[0].rssKiB), median(samples[1].rssKiB));
        report("memory at rest, PSS", "KiB", median(samples[0].pssKiB), median(samples[1].pssKiB));
    } catch (const std::exception& e) {
        std::cerr << "popup_bench: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
