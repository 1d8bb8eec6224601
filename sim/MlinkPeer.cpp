#include "sim/MlinkPeer.h"

#include "base/Text.h"

#include <cstdio>

namespace sim {

MlinkPeer::MlinkPeer(base::EventLoop& loop, HostOutput& out, const HostOptions& options)
    : loop_(loop), out_(out), options_(options), timeout_(loop, options.mlinkTimeoutMs),
      ready_(loop, options.mlinkReadyDelayMs) {
    timeout_.setOnTimer([this] {
        result_.timedOut = true;
        finish(false);
    });
    ready_.setOnTimer([this] { readySign(); });
}

std::string MlinkPeer::hostileName(HostOptions::HostileName kind, const std::string& name) {
    switch (kind) {
    case HostOptions::HostileName::None:
        return name;
    case HostOptions::HostileName::Path:
        return "../../tmp/" + name;
    case HostOptions::HostileName::DotDot:
        return "..";
    case HostOptions::HostileName::LeadingDot:
        return ".profile";
    case HostOptions::HostileName::Control:
        return std::string("EV\x07IL\x1b") + name;
    }
    return name;
}

void MlinkPeer::touch() {
    timeout_.setEnabled(false);
    timeout_.setInterval(options_.mlinkTimeoutMs);
    timeout_.setEnabled(true);
}

void MlinkPeer::startSend(const std::string& headerName, const std::string& content,
                          const base::LocalDateTime& stamp, Done done) {
    state_ = State::SendWaitReady;
    done_ = std::move(done);
    result_ = Result{};
    sendName_ = hostileName(options_.hostileName, headerName);
    content_ = content;
    stamp_ = stamp;
    prev_ = 0;
    halfwayDone_ = false;
    touch();
}

void MlinkPeer::startReceive(Done done) {
    state_ = State::RecvWaitHeader;
    done_ = std::move(done);
    result_ = Result{};
    header_.clear();
    prev_ = 0;
    halfwayDone_ = false;
    touch();
    if (options_.mlinkFault != HostOptions::MlinkFault::Silent) {
        ready_.setInterval(options_.mlinkReadyDelayMs);
        ready_.setEnabled(true);
    }
}

void MlinkPeer::readySign() {
    if (state_ != State::RecvWaitHeader) {
        ready_.setEnabled(false);
        return;
    }
    if (options_.mlinkFault == HostOptions::MlinkFault::Cancel) {
        out_.binary("A\b");
        finish(false);
        return;
    }
    out_.binary("M");
    ready_.setInterval(options_.mlinkReadyRepeatMs);
}

void MlinkPeer::feed(char c) {
    if (state_ == State::Idle)
        return;
    touch();
    char before = prev_;
    prev_ = c;
    bool abort = before == 'A' && c == '\b';
    switch (state_) {
    case State::Idle:
        break;
    case State::SendWaitReady:
        if (abort) {
            result_.aborted = true;
            finish(false);
        } else if (c == 'M') {
            if (options_.mlinkFault == HostOptions::MlinkFault::Silent)
                break;
            if (options_.mlinkFault == HostOptions::MlinkFault::Cancel) {
                out_.binary("A\b");
                result_.cancelledBeforeHeader = true;
                finish(false);
                break;
            }
            char head[64];
            std::snprintf(head, sizeof head, " %zu %02d:%02d:%02d %02d:%02d:%02d\r",
                          content_.size(), stamp_.year % 100, stamp_.month, stamp_.day, stamp_.hour,
                          stamp_.minute, stamp_.second);
            out_.binary(sendName_ + head);
            state_ = State::SendWaitOk;
        }
        break;
    case State::SendWaitOk:
        if (abort) {
            result_.aborted = true;
            finish(false);
        } else if (c == 'M') {
            sendData();
        }
        break;
    case State::SendWaitEnd:
        if (abort) {
            result_.aborted = true;
            finish(false);
        } else if (c == '\r' && before == 'E') {
            finish(options_.mlinkFault != HostOptions::MlinkFault::Fail);
        }
        break;
    case State::RecvWaitHeader:
        ready_.setEnabled(false);
        state_ = State::RecvHeader;
        [[fallthrough]];
    case State::RecvHeader:
        if (c == '\b' && header_ == "A") {
            result_.aborted = true;
            finish(false);
        } else if (c == '\r') {
            headerComplete();
        } else if (header_.size() < 200) {
            header_ += c;
        } else {
            finish(false);
        }
        break;
    case State::RecvData:
        result_.bytes += c;
        if (options_.dropAt == HostOptions::DropPoint::Transfer && !halfwayDone_ &&
            result_.bytes.size() * 2 >= static_cast<size_t>(result_.declaredSize)) {
            halfwayDone_ = true;
            if (onHalfway) {
                onHalfway(result_);
                return;
            }
        }
        if (result_.bytes.size() >= static_cast<size_t>(result_.declaredSize))
            state_ = State::RecvWaitEndMark;
        break;
    case State::RecvWaitEndMark:
        if (c == '\r')
            finish(options_.mlinkFault != HostOptions::MlinkFault::Fail);
        break;
    }
}

void MlinkPeer::headerComplete() {
    int space = base::pos(" ", header_);
    result_.headerName = space > 0 ? base::copy(header_, 1, space - 1) : header_;
    std::string rest = space > 0 ? base::copyFrom(header_, space + 1) : "";
    int next = base::pos(" ", rest);
    std::optional<int> size = base::strToInt(next > 0 ? base::copy(rest, 1, next - 1) : rest);
    if (result_.headerName.empty() || !size || *size < 0) {
        out_.binary("A\b");
        finish(false);
        return;
    }
    result_.declaredSize = *size;
    out_.binary("M");
    state_ = *size == 0 ? State::RecvWaitEndMark : State::RecvData;
}

void MlinkPeer::sendData() {
    size_t n = content_.size();
    if (options_.dropAt == HostOptions::DropPoint::Transfer && onHalfway) {
        out_.binary(std::string_view(content_).substr(0, n / 2));
        result_.bytesSent = n / 2;
        state_ = State::SendWaitEnd;
        onHalfway(result_);
        return;
    }
    out_.binary(content_);
    if (n == 0)
        out_.binary("\r");
    result_.bytesSent = n;
    state_ = State::SendWaitEnd;
}

void MlinkPeer::finish(bool ok) {
    timeout_.setEnabled(false);
    ready_.setEnabled(false);
    state_ = State::Idle;
    result_.ok = ok;
    if (done_) {
        Done done = std::move(done_);
        done_ = nullptr;
        done(result_);
    }
}

void MlinkPeer::cancel() {
    timeout_.setEnabled(false);
    ready_.setEnabled(false);
    state_ = State::Idle;
    done_ = nullptr;
}

} // namespace sim
