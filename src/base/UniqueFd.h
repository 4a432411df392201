#pragma once
// Sole owner of a POSIX file descriptor: closed once, on every way out.

#include <unistd.h>
#include <utility>

namespace findaro {

class UniqueFd {
  public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { reset(); }

    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }

    void reset(int fd = -1) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = fd;
    }
    int release() { return std::exchange(fd_, -1); }

    // Closes now and reports the error that a delayed write may only show here.
    bool close() {
        const int fd = release();
        return fd < 0 || ::close(fd) == 0;
    }

  private:
    int fd_ = -1;
};

} // namespace findaro
