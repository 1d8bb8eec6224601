#pragma once
// The file transfer as the auto-pilot and the receive path see it. The transfer takes the
// line over while it runs: the engine hands it what arrives in the transfer's receive
// modes, starts it from the rules that meet the host's announcement, and waits (the rules
// are not applied while ReceiveMode is not 0) until it ends.
#include <cstddef>
#include <string>

namespace engine {

class Transfer {
public:
    virtual ~Transfer() = default;

    // Starts a download; returns once it is under way or has failed.
    virtual void startDownload() = 0;
    // Starts an upload of the file at `path` (as the reservation stores it).
    virtual void startUpload(const std::string& path) = 0;
    // True while the transfer window is shown (the watchdog is held then).
    virtual bool visible() const = 0;
    // Aborts a running transfer (the forced end and the hang-up).
    virtual void abort() = 0;

    // Bytes that arrived while ReceiveMode was 2 (download).
    virtual void downloadData(const char* data, std::size_t n) = 0;
    // A notification of n bytes while ReceiveMode was 3 (upload); the bytes are dropped.
    virtual void uploadReceive(std::size_t n) = 0;
    // Bytes were put into the ring buffer (ReceiveMode 1).
    virtual void ringData() = 0;
    // The ring buffer would have overwritten unread bytes: the transfer must end.
    virtual void ringOverrun() = 0;
};

} // namespace engine
