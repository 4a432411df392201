#pragma once
#include <functional>
#include <memory>

// The global hot key Super+P (the Windows key and P).
class IGlobalHotkey {
  public:
    virtual ~IGlobalHotkey() = default;
    // False when the display refused the key (another client holds it).
    virtual bool Register() = 0;
    virtual void Unregister() = 0;
};

// The display server's backend, or nullptr where it offers no global hot key.
// `pressed` runs from the event loop, so its errors reach the standard error box.
std::unique_ptr<IGlobalHotkey> CreateSuperPHotkey(std::function<void()> pressed);
