#pragma once
// The host's way out to the line. Everything the host sends passes through here in order:
// its text, the echo of what the terminal types, and MLINK bytes. A well-behaved host
// sends at once; the misbehaviours of HostOptions shape the stream here and nowhere else:
// a slow echo delays the echo (and, to keep the order, whatever follows it), bursts cut the
// stream into pieces with gaps, and noise sprinkles stray control bytes and cancelled
// characters ("x\b") into text and echo, never into MLINK data.
#include "base/EventLoop.h"
#include "sim/Options.h"

#include <deque>
#include <functional>
#include <string>
#include <string_view>

namespace sim {

class HostOutput {
public:
    using Sink = std::function<void(std::string_view)>;

    HostOutput(base::EventLoop& loop, const HostOptions& options, Sink sink);
    HostOutput(const HostOutput&) = delete;
    HostOutput& operator=(const HostOutput&) = delete;

    void text(std::string_view bytes);
    void echo(std::string_view bytes);
    void binary(std::string_view bytes);

    // The line dropped: what is still queued is lost.
    void clear();
    bool idle() const { return queue_.empty(); }
    // Calls fn once everything queued so far has gone out (at once when nothing waits).
    void whenIdle(std::function<void()> fn);

private:
    struct Chunk {
        std::int64_t due;
        std::string bytes;
    };
    void enqueue(std::string bytes, int delayMs);
    void release();
    void schedule();
    std::string addNoise(std::string_view bytes);

    base::EventLoop& loop_;
    const HostOptions& options_;
    Sink sink_;
    std::deque<Chunk> queue_;
    std::int64_t lastDue_ = 0;
    std::int64_t nextBurstAt_ = 0;
    base::Timer timer_;
    std::function<void()> onIdle_;
    unsigned noiseCount_ = 0;
};

} // namespace sim
