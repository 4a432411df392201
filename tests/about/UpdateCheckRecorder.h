#pragma once
// The About box as the update check sees it, kept as an ordered list of calls.

#include "about/UpdateCheck.h"

#include <string>
#include <vector>

class TUpdateRecorder : public IUpdateView {
  public:
    std::vector<std::string> calls;

    void SetBusyCursor(bool busy) override { calls.push_back(busy ? "busy" : "normal cursor"); }
    void RepaintBox() override { calls.push_back("repaint"); }
    void SetStatus(const std::string& text) override { calls.push_back("status: " + text); }
    void SetVerdict(const std::string& text) override { calls.push_back("verdict: " + text); }
    void ShowDownload(bool visible) override {
        calls.push_back(visible ? "download shown" : "download hidden");
    }
    void ShowSocketError(const std::string& text) override {
        calls.push_back("socket box: " + text);
    }
};
