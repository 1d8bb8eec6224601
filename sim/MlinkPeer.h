#pragma once
// The host's end of an MLINK transfer, byte by byte.
//
// Sending (a download, or the file of a mail at login):
//   wait for the ready sign "M" -> header "name size yy:mm:dd hh:mm:ss" CR -> wait for "M"
//   -> the file's bytes -> wait for "E\r".
// A receiver counts bytes, so nothing follows the data; only an empty file is followed by
// the end mark CR, which gives the receiver something to end on.
//
// Receiving (an upload, or a binary mail):
//   the ready sign "M", repeated until a header arrives -> read the header up to CR ->
//   answer "M" -> take `size` bytes -> the end mark CR.
//
// "A\b" from the terminal at a handshake point aborts; silence for mlinkTimeoutMs fails.
// The faults of HostOptions (cancel, silence, a reported failure, a hostile header name,
// the line dropped halfway) are played here. The result goes to the Done callback once,
// after the peer is idle again.
#include "base/DateTime.h"
#include "base/EventLoop.h"
#include "sim/HostOutput.h"
#include "sim/Options.h"

#include <functional>
#include <string>

namespace sim {

class MlinkPeer {
public:
    struct Result {
        bool ok = false;
        bool aborted = false; // the terminal sent "A\b"
        // Sending: the host answered the terminal's ready sign with "A\b" instead of a
        // header, so the terminal is still reading for one.
        bool cancelledBeforeHeader = false;
        bool timedOut = false;
        std::string headerName; // receiving: the name the terminal announced
        long declaredSize = -1; // receiving: the size in the header
        std::string bytes;      // receiving: the data
        size_t bytesSent = 0;   // sending: data bytes sent
    };
    using Done = std::function<void(const Result&)>;

    MlinkPeer(base::EventLoop& loop, HostOutput& out, const HostOptions& options);
    MlinkPeer(const MlinkPeer&) = delete;
    MlinkPeer& operator=(const MlinkPeer&) = delete;

    void startSend(const std::string& headerName, const std::string& content,
                   const base::LocalDateTime& stamp, Done done);
    void startReceive(Done done);
    void feed(char c);
    // The line dropped: stop without a result.
    void cancel();
    bool active() const { return state_ != State::Idle; }

    // Called once halfway through the data, with what has passed so far, when the host is
    // to drop the line there (HostOptions::DropPoint::Transfer).
    std::function<void(const Result&)> onHalfway;

    // The name a hostile host announces instead of `name`.
    static std::string hostileName(HostOptions::HostileName kind, const std::string& name);

private:
    enum class State {
        Idle,
        SendWaitReady,
        SendWaitOk,
        SendWaitEnd,
        RecvWaitHeader,
        RecvHeader,
        RecvData,
        RecvWaitEndMark,
    };

    void sendData();
    void readySign();
    void headerComplete();
    void finish(bool ok);
    void touch();

    base::EventLoop& loop_;
    HostOutput& out_;
    const HostOptions& options_;
    State state_ = State::Idle;
    Done done_;
    Result result_;
    std::string header_;
    std::string content_;
    std::string sendName_;
    base::LocalDateTime stamp_;
    char prev_ = 0;
    bool halfwayDone_ = false;
    base::Timer timeout_;
    base::Timer ready_;
};

} // namespace sim
