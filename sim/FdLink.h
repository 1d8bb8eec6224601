#pragma once
// Carries bytes between a file descriptor (socket, pseudo-terminal, pipe) and an EventLoop.
// A reader thread of its own waits on the descriptor and posts what it reads to the loop;
// the loop's thread queues bytes with write(), which the same thread sends as the descriptor
// takes them. When the far side closes (end of file, hang-up,
// error) onClosed is posted once. Callbacks run on the loop's thread and never after the
// FdLink is destroyed; the destructor stops and joins the thread, so no thread outlives
// the object.
#include "base/EventLoop.h"

#include <functional>
#include <memory>
#include <mutex>
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

    // Queues `bytes` for the far side and returns at once: what the descriptor cannot take
    // now goes out as the far side reads, in order, however long it stops reading (nothing
    // is dropped, and the loop's thread never waits). False once the far side is gone.
    bool write(std::string_view bytes);
    // Bytes queued and not yet written.
    std::size_t pending() const;

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
    int wakePipe_[2] = {-1, -1}; // tells the thread that bytes wait to be written
    mutable std::mutex mutex_;
    std::string out_;     // guarded by mutex_
    bool broken_ = false; // guarded by mutex_: the far side is gone
    std::shared_ptr<Shared> shared_;
    std::thread thread_;
};

} // namespace sim
