#pragma once
// Shared pieces of the serial-line tests: a loop that counts what is posted to it, a
// pseudo-terminal pair, a loopback listener, a data folder naming COM1's device, and a
// recorder of notifications.
#include "base/LineFile.h"
#include "base/Sjis.h"
#include "base/VirtualLoop.h"
#include "comm/TComm.h"
#include "tests/support/TempDir.h"

#include <arpa/inet.h>
#include <atomic>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace comm_test {

// Long enough for a loaded machine under a sanitizer; a passing test never waits it out.
inline constexpr std::chrono::milliseconds kBound{10'000};

class CountingLoop : public base::VirtualLoop {
public:
    void post(std::function<void()> fn) override {
        ++posts;
        VirtualLoop::post(std::move(fn));
    }
    std::atomic<int> posts{0};
};

// Runs posted work until `done` holds; false when nothing more was posted within the bound.
inline bool runUntil(base::VirtualLoop& loop, const std::function<bool()>& done) {
    for (loop.runPending(); !done(); loop.runPending())
        if (!loop.waitForPost(kBound))
            return false;
    return true;
}

// True when every thread of the process but the caller is asleep (blocked in a wait),
// as /proc shows it. A thread that was just woken counts as awake at once.
inline bool othersAsleep() {
    const pid_t self = ::gettid();
    DIR* d = ::opendir("/proc/self/task");
    bool asleep = true;
    while (dirent* e = ::readdir(d)) {
        if (e->d_name[0] == '.' || std::atoi(e->d_name) == self)
            continue;
        std::string stat;
        try {
            stat = base::readFile(std::string("/proc/self/task/") + e->d_name + "/stat");
        } catch (const base::FileError&) {
            continue; // the thread ended meanwhile
        }
        const size_t paren = stat.rfind(')');
        if (paren == std::string::npos || paren + 2 >= stat.size() || stat[paren + 2] != 'S')
            asleep = false;
    }
    ::closedir(d);
    return asleep;
}

// Waits, without sleeping itself, until the other threads are all asleep; false when they
// are not within the bound.
inline bool untilOthersAsleep() {
    const auto deadline = std::chrono::steady_clock::now() + kBound;
    while (!othersAsleep()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::yield();
    }
    return true;
}

inline int threadCount() {
    int n = 0;
    DIR* d = ::opendir("/proc/self/task");
    while (dirent* e = ::readdir(d))
        n += e->d_name[0] != '.';
    ::closedir(d);
    return n;
}

inline std::int32_t openErrorCode(comm::TComm& c) {
    try {
        c.Open();
    } catch (const comm::ECommOpenError& e) {
        EXPECT_EQ(e.what(),
                  base::sj(u8"オープンエラー ErrorCode = ") + std::to_string(e.ErrorCode));
        EXPECT_FALSE(c.isOpen());
        return e.ErrorCode;
    }
    return 0;
}

// The test holds the master; TComm opens the slave by its path.
struct Pty {
    Pty() : master(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC)) {
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
            std::abort();
        slave = ::ptsname(master);
    }
    ~Pty() { closeMaster(); }
    void closeMaster() {
        if (master >= 0)
            ::close(master);
        master = -1;
    }
    std::string readMaster(size_t n) const { // blocks until n bytes came
        std::string out(n, '\0');
        size_t got = 0;
        for (ssize_t r; got < n && (r = ::read(master, &out[got], n - got)) > 0;)
            got += static_cast<size_t>(r);
        return out.substr(0, got);
    }
    int master;
    std::string slave;
};

// A listening socket on 127.0.0.1 with a port of the system's choice; `device` names it with
// `scheme` ("tcp:" or "telnet:").
struct Listener {
    explicit Listener(const std::string& scheme = "tcp:")
        : fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        if (::bind(fd, reinterpret_cast<sockaddr*>(&a), len) != 0 || ::listen(fd, 4) != 0 ||
            ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) != 0)
            std::abort();
        device = scheme + "127.0.0.1:" + std::to_string(ntohs(a.sin_port));
    }
    ~Listener() { ::close(fd); }
    int fd;
    std::string device;
};

// What a TComm reported, in order: "rx:<bytes>" (consecutive receives merged, since how
// bytes split into notifications is up to the watcher's timing) and "carrier:on|off" for
// each evRlsd event. The receive handler reads what it was told is waiting.
struct Recorder {
    explicit Recorder(comm::TComm& comm) {
        comm.OnCommReceive = [this](comm::TComm& c, std::uint16_t size) {
            onLoopThread = onLoopThread && std::this_thread::get_id() == loopThread;
            std::string buf(size, '\0');
            buf.resize(c.Read(buf.data(), size));
            received += buf;
            ++notifications;
            if (log.empty() || log.back().rfind("rx:", 0) != 0)
                log.push_back("rx:");
            log.back() += buf;
        };
        comm.OnCommEvent = [this](comm::TComm& c, comm::TCommEventMask events) {
            onLoopThread = onLoopThread && std::this_thread::get_id() == loopThread;
            EXPECT_EQ(events, comm::TCommEventMask{comm::evRlsd});
            ++notifications;
            ++carrierEvents;
            log.push_back(c.CarrierDetect() ? "carrier:on" : "carrier:off");
        };
    }
    std::thread::id loopThread = std::this_thread::get_id();
    bool onLoopThread = true;
    int notifications = 0, carrierEvents = 0;
    std::string received;
    std::vector<std::string> log;
};

// A TComm on COM1 = `device` (named in COMPORTS.DAT; TARNO_COM1 cleared), on a counting loop.
struct Port {
    explicit Port(const std::string& device) {
        ::unsetenv("TARNO_COM1");
        base::replaceLines(dir.file("COMPORTS.DAT"), {device});
        comm.setComPortsFolder(dir.path());
        comm.setLockFolder(dir.path()); // the lock files of a test stay in its own folder
    }
    testing_support::TempDir dir;
    CountingLoop loop;
    comm::TComm comm{loop};
};

// Opens COM1 = `device`, a network line that cannot be connected, and returns why, as the
// carrier notification leaves it. The open itself returns before the connection is tried.
inline std::string backgroundOpenFailure(const std::string& device) {
    Port p(device);
    p.comm.setEventMask({comm::evRlsd});
    int events = 0;
    p.comm.OnCommEvent = [&](comm::TComm&, comm::TCommEventMask) { ++events; };
    p.comm.Open();
    EXPECT_TRUE(p.comm.isOpen()) << device;
    EXPECT_TRUE(runUntil(p.loop, [&] { return events > 0; })) << device;
    EXPECT_EQ(events, 1) << device;
    EXPECT_FALSE(p.comm.CarrierDetect()) << device;
    EXPECT_TRUE(p.comm.LineLost()) << device;
    EXPECT_THROW(p.comm.WriteString("AT"), comm::ECommReadWriteError) << device;
    const std::string reason = p.comm.OpenFailure();
    EXPECT_FALSE(reason.empty()) << device;
    return reason;
}

} // namespace comm_test
