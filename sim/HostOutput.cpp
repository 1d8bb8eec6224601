#include "sim/HostOutput.h"

#include <algorithm>

namespace sim {

namespace {

// What the noise inserts, in turn: bell, NUL, a lone ESC, form feed, a character taken
// back with a backspace, LF. A terminal that drops control bytes, takes escape sequences
// out and honours backspace sees the text unchanged: the lone ESC waits for a byte that
// cannot continue it into a sequence.
using namespace std::string_view_literals;
constexpr std::string_view kNoise[] = {"\x07"sv, "\0"sv, "\x1b"sv, "\x0c"sv, "x\b"sv, "\n"sv};
constexpr unsigned kNoiseEvery = 5;

} // namespace

HostOutput::HostOutput(base::EventLoop& loop, const HostOptions& options, Sink sink)
    : loop_(loop), options_(options), sink_(std::move(sink)), timer_(loop, 1) {
    timer_.setOnTimer([this] {
        timer_.setEnabled(false);
        release();
    });
}

void HostOutput::text(std::string_view bytes) {
    enqueue(options_.noise ? addNoise(bytes) : std::string(bytes), 0);
}

void HostOutput::echo(std::string_view bytes) {
    enqueue(options_.noise ? addNoise(bytes) : std::string(bytes), options_.echoDelayMs);
}

void HostOutput::binary(std::string_view bytes) {
    enqueue(std::string(bytes), 0);
}

// True when ESC then `c` is no escape sequence: the ESC alone is dropped, `c` stays.
static bool endsALoneEsc(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return !(u >= 0x40 && u <= 0x5f) && c != '(' && c != ')' && c != '\x1b';
}

std::string HostOutput::addNoise(std::string_view bytes) {
    std::string out;
    bool escDue = false;
    for (char c : bytes) {
        if (escDue && endsALoneEsc(c)) {
            out += '\x1b';
            escDue = false;
        }
        out += c;
        if (++noiseCount_ % kNoiseEvery == 0) {
            std::string_view noise = kNoise[(noiseCount_ / kNoiseEvery) % std::size(kNoise)];
            if (noise == "\x1b"sv)
                escDue = true;
            else
                out += noise;
        }
    }
    return out;
}

void HostOutput::enqueue(std::string bytes, int delayMs) {
    if (bytes.empty())
        return;
    std::int64_t now = loop_.nowMs();
    std::int64_t due = std::max(now + std::max(delayMs, 0), queue_.empty() ? now : lastDue_);
    if (options_.burstBytes > 0)
        due = std::max(due, nextBurstAt_);
    lastDue_ = due;
    if (queue_.empty() && due <= now && options_.burstBytes <= 0) {
        sink_(bytes);
        return;
    }
    queue_.push_back(Chunk{due, std::move(bytes)});
    if (!timer_.enabled())
        release();
}

void HostOutput::release() {
    std::int64_t now = loop_.nowMs();
    if (options_.burstBytes > 0) {
        // One burst now, the next one a gap later.
        if (!queue_.empty() && queue_.front().due <= now) {
            std::string burst;
            while (!queue_.empty() && queue_.front().due <= now &&
                   burst.size() < static_cast<size_t>(options_.burstBytes)) {
                Chunk& c = queue_.front();
                size_t take = std::min(c.bytes.size(), options_.burstBytes - burst.size());
                burst += c.bytes.substr(0, take);
                c.bytes.erase(0, take);
                if (c.bytes.empty())
                    queue_.pop_front();
            }
            nextBurstAt_ = now + std::max(options_.burstGapMs, 1);
            if (!queue_.empty())
                queue_.front().due = std::max(queue_.front().due, nextBurstAt_);
            sink_(burst);
        }
    } else {
        while (!queue_.empty() && queue_.front().due <= now) {
            std::string bytes = std::move(queue_.front().bytes);
            queue_.pop_front();
            sink_(bytes);
        }
    }
    schedule();
}

void HostOutput::schedule() {
    if (queue_.empty()) {
        if (onIdle_) {
            auto fn = std::move(onIdle_);
            onIdle_ = nullptr;
            fn();
        }
        return;
    }
    std::int64_t wait = std::max<std::int64_t>(queue_.front().due - loop_.nowMs(), 1);
    timer_.setInterval(static_cast<int>(wait));
    timer_.setEnabled(true);
}

void HostOutput::clear() {
    queue_.clear();
    timer_.setEnabled(false);
    onIdle_ = nullptr;
}

void HostOutput::whenIdle(std::function<void()> fn) {
    if (queue_.empty()) {
        fn();
        return;
    }
    onIdle_ = std::move(fn);
}

} // namespace sim
