// The whole program: the time from starting the desktop program to its main window shown,
// against starting a bare Qt program that shows one empty window, each the best of several
// starts in the same run; and the resident memory of `tarno --demo` (a whole unattended run
// against the simulated host and its import), against the same program only printing its
// version.
//
// The two start-ups are this program started again: `--bare` shows an empty window,
// `--desktop DIR` makes the program's own start-up on the data folder DIR exactly as
// `tarno` does. Each child writes one line when its window is on the screen; the parent
// times from the start of the child to that line.
#include "app/App.h"
#include "app/DataDir.h"
#include "app/DataLock.h"
#include "bench/Bench.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

const std::string kTarno = TARNO_BINARY_DIR "/app/tarno";

// Says "shown" on stdout once the first top-level window is exposed, then quits.
class ShownWatch : public QObject {
public:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (!said_ && e->type() == QEvent::Expose) {
            auto* w = qobject_cast<QWindow*>(o);
            if (w && w->isExposed()) {
                said_ = true;
                std::fputs("shown\n", stdout);
                std::fflush(stdout);
                QMetaObject::invokeMethod(qApp, &QApplication::quit, Qt::QueuedConnection);
            }
        }
        return false;
    }

private:
    bool said_ = false;
};

int bareChild(int argc, char** argv) {
    QApplication qapp(argc, argv);
    ShownWatch watch;
    qapp.installEventFilter(&watch);
    QWidget w;
    w.resize(640, 480);
    w.show();
    return QApplication::exec();
}

int desktopChild(int argc, char** argv, const std::string& dir) {
    const std::string copies = app::startingCopiesDir(kTarno);
    std::string error = app::enterDataDir(dir, copies);
    app::DataLock lock;
    if (error.empty())
        error = lock.acquire(".", dir);
    if (!error.empty()) {
        std::fprintf(stderr, "bench: %s\n", error.c_str());
        return 1;
    }
    QApplication qapp(argc, argv);
    QApplication::setApplicationName("tarno");
    ShownWatch watch;
    qapp.installEventFilter(&watch);
    app::App tarno(copies + "/demo");
    tarno.show();
    return QApplication::exec();
}

// In a forked child: becomes the program args[0] with these arguments.
[[noreturn]] void execArgs(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
}

// Starts `args` and waits for its "shown" line: the seconds to it, or -1 when it never came.
double secondsToShown(const std::vector<std::string>& args) {
    int out[2];
    if (::pipe(out) != 0)
        return -1;
    std::fflush(nullptr);
    const auto t0 = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        // Only the line matters; the toolkit's notes on a bare test display do not.
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 2);
        ::dup2(out[1], 1);
        ::close(out[0]);
        ::close(out[1]);
        execArgs(args);
    }
    ::close(out[1]);
    std::string got;
    char buf[64];
    ssize_t n;
    while (got.find('\n') == std::string::npos && (n = ::read(out[0], buf, sizeof buf)) > 0)
        got.append(buf, static_cast<size_t>(n));
    const auto t1 = std::chrono::steady_clock::now();
    ::close(out[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (got.rfind("shown", 0) != 0)
        return -1;
    return std::chrono::duration<double>(t1 - t0).count();
}

// Runs `args` to its end; its peak resident memory in bytes, -1 when it failed.
long peakResident(const std::vector<std::string>& args) {
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (std::FILE* null = std::freopen("/dev/null", "w", stdout))
            (void)null;
        execArgs(args);
    }
    int status = 0;
    rusage use{};
    if (::wait4(pid, &status, 0, &use) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return use.ru_maxrss * 1024L;
}

} // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (std::getenv("QT_QPA_PLATFORM") == nullptr && std::getenv("DISPLAY") == nullptr &&
        std::getenv("WAYLAND_DISPLAY") == nullptr)
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (mode == "--bare")
        return bareChild(argc, argv);
    if (mode == "--desktop" && argc > 2)
        return desktopChild(argc, argv, argv[2]);

    char self[4096];
    const ssize_t len = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (len <= 0)
        return 1;
    const std::string me(self, static_cast<size_t>(len));
    const fs::path scratch = fs::temp_directory_path() / ("tarno-bench-" + std::to_string(::getpid()));
    fs::remove_all(scratch);
    fs::create_directories(scratch);
    const std::string data = (scratch / "data").string();

    // A user's second start: the data folder already set up by the first.
    if (secondsToShown({me, "--desktop", data}) < 0) {
        std::fprintf(stderr, "bench: the program did not show its main window\n");
        return 1;
    }
    double bare = 1e300, desktop = 1e300;
    for (int i = 0; i < 7; ++i) {
        const double b = secondsToShown({me, "--bare"});
        const double d = secondsToShown({me, "--desktop", data});
        if (b < 0 || d < 0) {
            std::fprintf(stderr, "bench: a start did not show its window\n");
            return 1;
        }
        bare = std::min(bare, b);
        desktop = std::min(desktop, d);
    }
    bench::report("startup_to_main_window", desktop * 1000, "ms", desktop / bare);
    std::printf("bench startup_bare_qt_window %.2f ms (the program takes %.0f ms more)\n",
                bare * 1000, (desktop - bare) * 1000);

    const long idle = peakResident({kTarno, "--version"});
    const long demo = peakResident({kTarno, "--demo", "--data-dir", (scratch / "demo").string()});
    fs::remove_all(scratch);
    if (idle <= 0 || demo <= 0) {
        std::fprintf(stderr, "bench: tarno --version or tarno --demo failed\n");
        return 1;
    }
    bench::report("demo_run_peak_resident", demo / 1048576.0, "MB",
                  static_cast<double>(demo) / static_cast<double>(idle));
    return 0;
}
