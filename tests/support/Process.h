#pragma once
// A child process for end-to-end tests: started with posix_spawn, its standard error read
// with bounded waits, killed when the test ends without reaping it.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

extern char** environ;

namespace testing_support {

class Process {
public:
    explicit Process(const std::vector<std::string>& args) {
        int err[2];
        if (::pipe(err) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, err[1], 2);
        posix_spawn_file_actions_addclose(&actions, err[0]);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        std::vector<char*> argv;
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(err[1]);
        stderr_ = err[0];
    }
    ~Process() {
        if (pid_ > 0 && !reaped_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (stderr_ >= 0)
            ::close(stderr_);
    }

    // Reads standard error until `text` appears or, with an empty text, until it closes
    // (the process ended). False after boundMs.
    bool readErr(const std::string& text, int boundMs) {
        for (int waited = 0; waited < boundMs; waited += 50) {
            if (!text.empty() && err.find(text) != std::string::npos)
                return true;
            pollfd p{stderr_, POLLIN, 0};
            if (::poll(&p, 1, 50) > 0) {
                char buf[512];
                ssize_t n = ::read(stderr_, buf, sizeof buf);
                if (n <= 0)
                    return text.empty();
                err.append(buf, static_cast<size_t>(n));
            }
        }
        return false;
    }
    int wait() {
        int status = 0;
        ::waitpid(pid_, &status, 0);
        reaped_ = true;
        return status;
    }
    bool started() const { return pid_ > 0; }
    // Sends the process a signal (SIGKILL: the process dies where it stands).
    void signal(int sig) {
        if (pid_ > 0 && !reaped_)
            ::kill(pid_, sig);
    }
    // Asks the process to end (SIGTERM).
    void terminate() {
        if (pid_ > 0 && !reaped_)
            ::kill(pid_, SIGTERM);
    }

    std::string err;

private:
    pid_t pid_ = -1;
    int stderr_ = -1;
    bool reaped_ = false;
};

} // namespace testing_support
