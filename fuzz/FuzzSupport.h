#pragma once
// What every fuzz target shares: invariant checks that stop the run with a message, a
// reader that takes the fuzzer's bytes apart, and a sandbox folder that holds the target's
// data folder and nothing else, so a write that escapes the data folder is seen.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

namespace fuzz {

[[noreturn]] inline void fail(const char* file, int line, const std::string& what) {
    std::fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, what.c_str());
    std::fflush(stderr);
    std::abort();
}

// Stops the run when an invariant of the program does not hold.
#define FUZZ_CHECK(cond)                                                                       \
    do {                                                                                       \
        if (!(cond))                                                                           \
            ::fuzz::fail(__FILE__, __LINE__, #cond);                                           \
    } while (0)

// The input read front to back; past its end every read gives zero or nothing.
class Bytes {
public:
    Bytes(const std::uint8_t* data, size_t size) : p_(data), left_(size) {}
    bool empty() const { return left_ == 0; }
    size_t left() const { return left_; }
    std::uint8_t byte() {
        if (left_ == 0)
            return 0;
        --left_;
        return *p_++;
    }
    // The next byte, left in place (0 at the end).
    std::uint8_t peek() const { return left_ ? *p_ : 0; }
    // 0 .. n - 1.
    int below(int n) { return n <= 0 ? 0 : byte() % n; }
    // Up to `n` bytes.
    std::string take(size_t n) {
        n = std::min(n, left_);
        std::string s(reinterpret_cast<const char*>(p_), n);
        p_ += n;
        left_ -= n;
        return s;
    }
    // A piece whose length the next byte gives.
    std::string piece() { return take(byte()); }
    std::string rest() { return take(left_); }
    // Bytes up to (not including) `stop`, which is consumed; the rest when it is missing.
    std::string until(char stop) {
        std::string s;
        while (left_ > 0) {
            char c = static_cast<char>(byte());
            if (c == stop)
                break;
            s += c;
        }
        return s;
    }

private:
    const std::uint8_t* p_;
    size_t left_;
};

// Every file and folder under `dir`, as paths relative to it, sorted.
inline std::vector<std::string> tree(const std::string& dir) {
    std::vector<std::string> out;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(dir, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
        out.push_back(std::filesystem::relative(it->path(), dir).string());
    std::sort(out.begin(), out.end());
    return out;
}

// One folder for the whole process: root/ holds exactly one entry, data/, the target's data
// folder, which is also the working folder. TMPDIR points at root, so helpers that make
// their own temporary folders make them in there too.
class Sandbox {
public:
    static Sandbox& get() {
        static Sandbox box;
        return box;
    }
    const std::string& root() const { return root_; }
    const std::string& data() const { return data_; }
    std::string file(const std::string& name) const { return data_ + "/" + name; }

    // An empty data folder, the working folder again.
    void reset() {
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
        std::filesystem::create_directories(data_, ec);
        if (ec || ::chdir(data_.c_str()) != 0)
            fail(__FILE__, __LINE__, "cannot make the sandbox " + data_);
    }
    // Nothing but the data folder (and what `allowed` names) in the root: nothing was
    // written beside or above the data folder.
    void checkContained(const std::vector<std::string>& allowed = {}) const {
        std::error_code ec;
        for (const auto& e : std::filesystem::directory_iterator(root_, ec)) {
            std::string name = e.path().filename().string();
            if (name == "data")
                continue;
            if (std::find(allowed.begin(), allowed.end(), name) != allowed.end())
                continue;
            fail(__FILE__, __LINE__, "written outside the data folder: " + name);
        }
    }

private:
    Sandbox() {
        // In memory when it can be: every rewrite syncs, and a run makes thousands. A
        // temporary folder named in TMPDIR is used as asked (the replay tests name one of
        // their own and check that it is left empty).
        std::error_code ec;
        const char* tmpdir = std::getenv("TMPDIR");
        std::filesystem::path base =
            (tmpdir == nullptr || *tmpdir == '\0') && std::filesystem::is_directory("/dev/shm", ec)
                ? std::filesystem::path("/dev/shm")
                : std::filesystem::temp_directory_path();
        std::string tmpl = (base / "tarno-fuzz-XXXXXX").string();
        if (!::mkdtemp(tmpl.data()))
            fail(__FILE__, __LINE__, "cannot make a sandbox");
        root_ = tmpl;
        data_ = root_ + "/data";
        ::setenv("TMPDIR", root_.c_str(), 1);
        reset();
    }
    ~Sandbox() {
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }
    std::string root_, data_;
};

} // namespace fuzz
