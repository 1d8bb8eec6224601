#pragma once
// Carries bytes between a file descriptor (socket, pseudo-terminal, pipe) and an EventLoop.
// A reader thread of its own waits on the descriptor and posts what it reads to the loop;
// the loop's thread writes with write(). When the far side closes (end of file, hang-up,
// error) onClosed is posted once. Callbacks run on the loop's thread and never after the
// FdLink is destroyed; the destructor stops and joins the thread, so no thread outlives
// the object.
#include "base/EventLoop.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <thread>

namespace sim {

class FdLink {
public:
    // Reads `readFd`, writes `writeFd` (often the same descriptor). With `owns`, both are
    // closed when the link is destroyed.
    FdLink(base::EventLoop& loop, int readFd, int writeFd, bool owns,
           std::function<void(std::string)> onData, std::function<void()> onClosed);
    ~FdLink();
    FdLink(const FdLink&) = delete;
    FdLink& operator=(const FdLink&) = delete;

    // Writes all of `bytes`, waiting up to `boundMs` for room each time the descriptor is
    // full. False when the far side is gone or stays full; the rest is then dropped.
    bool write(std::string_view bytes, int boundMs = 5000);

private:
    struct Shared {
        bool alive = true; // touched on the loop's thread only
        std::function<void(std::string)> onData;
        std::function<void()> onClosed;
    };
    void run();

    base::EventLoop& loop_;
    int readFd_;
    int writeFd_;
    bool owns_;
    int stopPipe_[2] = {-1, -1};
    std::shared_ptr<Shared> shared_;
    std::thread thread_;
};

} // namespace sim
