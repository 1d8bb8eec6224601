#pragma once
// The terminal side of a transfer for tests: a recording MlinkLine with a ring buffer, over
// which a test delivers what the host sends exactly as the terminal's receive path would
// (by receive mode), and a recording window.
#include "base/Sjis.h"
#include "base/VirtualLoop.h"
#include "tests/support/TempDir.h"
#include "transfer/MlinkModel.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace transfer_test {

struct FakeLine : transfer::MlinkLine {
    int mode = 0;
    std::deque<unsigned char> ring;
    std::string sent;                 // everything sent, in order
    std::vector<std::int64_t> sendAt; // when each send() happened
    std::vector<std::string> sends;   // each send() call
    std::string text;                 // what reached the terminal as text
    std::vector<std::string> statuses;
    std::vector<std::string> errors; // "stamped:" or "plain:" + text
    bool uploadSent = true;
    std::size_t backlog = 0;    // what the line says it has not sent yet
    bool failed = false;        // a send has failed
    int sendsUntilFailure = -1; // when it reaches 0, that send fails (and is lost)
    base::EventLoop* loop = nullptr;
    transfer::MlinkModel* model = nullptr;
    // Called with each send() before it is recorded: a test looks at the disk at that moment.
    std::function<void(std::string_view)> onSend;

    int receiveMode() const override { return mode; }
    void setReceiveMode(int m) override { mode = m; }
    bool ringHasByte() const override { return !ring.empty(); }
    unsigned char ringGetC() override {
        if (ring.empty())
            return 0;
        unsigned char c = ring.front();
        ring.pop_front();
        return c;
    }
    void clearRing() override { ring.clear(); }
    void receiveAsText(std::string_view b) override { text.append(b); }
    std::size_t sendBacklog() const override { return backlog; }
    bool sendFailed() const override { return failed; }
    void send(std::string_view b) override {
        if (sendsUntilFailure >= 0 && sendsUntilFailure-- == 0)
            failed = true;
        if (failed)
            return;
        if (onSend)
            onSend(b);
        sent.append(b);
        sends.emplace_back(b);
        sendAt.push_back(loop ? loop->nowMs() : 0);
    }
    void setStatus(const std::string& s) override { statuses.push_back(s); }
    void logError(const std::string& s) override { errors.push_back("stamped:" + s); }
    void logErrorPlain(const std::string& s) override { errors.push_back("plain:" + s); }
    void setUploadSent(bool on) override { uploadSent = on; }

    // One receive notification, routed as the terminal routes it.
    void receive(const std::string& bytes) {
        switch (mode) {
        case 1:
            // The terminal's ring holds 50,000 bytes; what does not fit ends the transfer.
            if (ring.size() + bytes.size() > 50000) {
                model->ringOverrun();
                break;
            }
            ring.insert(ring.end(), bytes.begin(), bytes.end());
            model->ringData();
            break;
        case 2:
            model->downloadData(bytes.data(), bytes.size());
            break;
        case 3:
            model->uploadReceive(bytes.size());
            break;
        default:
            text += bytes;
            break;
        }
    }
    // What was sent since the last call.
    std::string take() {
        std::string s = sent.substr(taken);
        taken = sent.size();
        return s;
    }
    size_t taken = 0;
};

struct FakeWindow : transfer::ProtView {
    std::vector<std::string> calls;
    int changes = 0;
    void showWindow() override { calls.push_back("show"); }
    void closeWindow() override { calls.push_back("close"); }
    void changed() override { ++changes; }
};

// A transfer model over the fake line, on a virtual clock, in a temporary data folder.
struct Rig {
    testing_support::TempDir dir;
    base::VirtualLoop loop;
    FakeLine line;
    FakeWindow window;
    transfer::MlinkModel model{loop, line, dir.path()};

    Rig() {
        line.loop = &loop;
        line.model = &model;
        model.setView(&window);
    }
    void advance(std::int64_t ms) { loop.advance(ms); }
};

} // namespace transfer_test
