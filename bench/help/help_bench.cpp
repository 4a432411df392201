// Measures the time from F1 to a painted help topic: Findaro's help window
// (the help file read through chmlib, contents and index filled) against a
// minimal Qt program that shows the same topic from the disk in a bare text
// browser. Both run alternately on one display; the figures are medians,
// printed last as ratios.
//
// help_bench --findaro PATH --chm PATH --peer PATH --content DIR [--runs N] [--presses M]
// Needs a desktop with a window manager: run it under tests/harness/with-desktop.

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
#include <stdexcept>
#include <thread>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

void pressKey(xcb_connection_t* conn, xcb_keysym_t sym) {
    xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(conn);
    xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols, sym);
    xcb_key_symbols_free(symbols);
    if (!codes)
        throw std::runtime_error("no key code for a key the benchmark needs");
    xcb_test_fake_input(conn, XCB_KEY_PRESS, codes[0], XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_test_fake_input(conn, XCB_KEY_RELEASE, codes[0], XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_flush(conn);
    std::free(codes);
}

struct Program {
    std::string label, wmClass, hostTitle, helpTitle;
    std::vector<std::string> argv;
    bool hotKeyFirst; // the host window shows only after Super+P
};

struct Samples {
    std::vector<double> first, later;
};

class Bench {
  public:
    explicit Bench(XDesktop& desk) : desk_(desk) {}

    void measure(const Program& p, int presses, Samples& out) {
        TempDir runtime;
        fs::create_directories(runtime.path() / "run");
        fs::permissions(runtime.path() / "run", fs::perms::owner_all);
        ChildProcess child(p.argv, {"XDG_RUNTIME_DIR=" + (runtime.path() / "run").string(),
                                    "TMPDIR=" + runtime.path().string()});
        if (p.hotKeyFirst) {
            if (!waitUntil([&] { return desk_.superPGrabbed(); }, 20s))
                throw std::runtime_error(p.label + " did not register Super+P");
            xdotool({"key", "super+p"});
        }
        for (int i = 0; i < presses; ++i) {
            focusHost(p);
            const auto t0 = Clock::now();
            pressKey(desk_.connection(), 0xffbe /* F1 */);
            if (!waitUntil([&] { return painted(p); }, 10s, 1ms))
                throw std::runtime_error(p.label + " painted no topic after F1");
            (i == 0 ? out.first : out.later).push_back(msSince(t0));
            // Closed, so that the next F1 has to bring the window back.
            desk_.requestClose(help(p));
            if (!waitUntil([&] { return !desk_.viewable(help(p)); }, 5s))
                throw std::runtime_error(p.label + "'s help window did not close");
        }
        child.terminate();
    }

  private:
    xcb_window_t help(const Program& p) const { return desk_.windowTitled(p.wmClass, p.helpTitle); }

    void focusHost(const Program& p) {
        xcb_window_t host = 0;
        if (!waitUntil(
                [&] {
                    host = desk_.windowTitled(p.wmClass, p.hostTitle);
                    return host && desk_.viewable(host);
                },
                20s))
            throw std::runtime_error(p.label + " shows no window to press F1 in");
        xcb_set_input_focus(desk_.connection(), XCB_INPUT_FOCUS_PARENT, host, XCB_CURRENT_TIME);
        xcb_flush(desk_.connection());
        if (!waitUntil([&] { return desk_.inputFocus() == host; }, 5s))
            throw std::runtime_error(p.label + "'s window did not take the keyboard");
        std::this_thread::sleep_for(200ms);
    }

    // The topic's heading, in the colour of the help's style sheet, is on screen.
    bool painted(const Program& p) const {
        const xcb_window_t w = help(p);
        if (!w || !desk_.viewable(w))
            return false;
        const XImage img = desk_.grab(desk_.geometry(w));
        return std::count(img.pixels.begin(), img.pixels.end(), 0x1f4e79u) > 50;
    }

    XDesktop& desk_;
};

void report(const char* what, double findaro, double peer) {
    std::printf("%-32s findaro %8.1f ms  peer %8.1f ms  ratio %.2f\n", what, findaro, peer,
                peer > 0 ? findaro / peer : 0.0);
}

} // namespace

int main(int argc, char** argv) {
    auto opt = ParseOptions(argc, argv, {{"--runs", "5"}, {"--presses", "4"}});
    for (const char* required : {"--findaro", "--chm", "--peer", "--content"})
        if (!opt.count(required)) {
            std::cerr << "usage: help_bench --findaro PATH --chm PATH --peer PATH --content DIR "
                         "[--runs N] [--presses M]\n";
            return 2;
        }
    try {
        XDesktop desk;
        // Findaro looks for its settings and its help file beside itself.
        TempDir home;
        const fs::path findaro = home.path() / "findaro";
        fs::copy_file(opt["--findaro"], findaro);
        fs::copy_file(opt["--chm"], home.path() / "Findaro.chm");
        std::ofstream(home.path() / "findaro.INI") << "[Settings]\nHookHotkey=1\n";
        const Program programs[2] = {{"findaro",
                                      "findaro",
                                      "Findaro",
                                      "Findaro Help - The search window",
                                      {findaro.string()},
                                      true},
                                     {"peer",
                                      "peer_help",
                                      "PeerHelpHost",
                                      "Peer Help",
                                      {opt["--peer"], opt["--content"]},
                                      false}};
        const int runs = std::stoi(opt["--runs"]);
        const int presses = std::stoi(opt["--presses"]);
        Bench bench(desk);
        Samples samples[2];
        TakeTurns(runs,
                  [&](int which) { bench.measure(programs[which], presses, samples[which]); });
        std::printf("help benchmark: %d runs, %d presses of F1 each, medians\n", runs, presses);
        report("first F1 to painted topic", median(samples[0].first), median(samples[1].first));
        report("later F1 to painted topic", median(samples[0].later), median(samples[1].later));
    } catch (const std::exception& e) {
        std::cerr << "help_bench: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
