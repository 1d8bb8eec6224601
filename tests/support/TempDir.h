#pragma once
// A fresh folder under the system's temporary folder, removed with its content when the
// test ends.
//
// A test about paths that must not leave their folder asks for a few nested levels: its
// folder then lies that deep inside its own tree, so even when the code under test is
// broken a "..\.." lands inside the tree (and is removed with it), never beside the
// temporary folder or at the root of the file system.
#include <cstdlib>
#include <filesystem>
#include <string>

namespace testing_support {

class TempDir {
public:
    explicit TempDir(int nestedLevels = 0) {
        std::string tmpl = (std::filesystem::temp_directory_path() / "tarno-test-XXXXXX").string();
        if (!::mkdtemp(tmpl.data()))
            std::abort();
        root_ = tmpl;
        path_ = root_;
        for (int i = 1; i <= nestedLevels; ++i)
            path_ += "/n" + std::to_string(i);
        std::error_code ec;
        std::filesystem::create_directories(path_, ec);
        if (ec)
            std::abort();
    }
    ~TempDir() {
        std::error_code ec;
        for (const std::string& p : {path_, root_})
            std::filesystem::permissions(p, std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(root_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The test's folder (nestedLevels below the root of its tree).
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    // The top of the tree: everything the test wrote, escapes included, is under it.
    const std::string& root() const { return root_; }

private:
    std::string root_;
    std::string path_;
};

} // namespace testing_support
