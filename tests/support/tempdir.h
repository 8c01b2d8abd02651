// A temporary directory that removes itself, for tests that need real files.
#pragma once

#include <string>
#include <vector>

namespace testsupport {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // Absolute path without a trailing "/".
    const std::string& path() const { return path_; }
    // path() + "/" + name.
    std::string file(const std::string& name) const { return path_ + "/" + name; }

    // Creates (or replaces) a file with the given bytes; returns its path.
    std::string write(const std::string& name, const std::string& bytes = {}) const;
    // Creates a directory below this one; returns its path.
    std::string mkdir(const std::string& name) const;

private:
    std::string path_;
};

// Whole content of a file, or "" when it cannot be read.
std::string readAll(const std::string& path);

// The names in a folder, in the order the system lists them.
std::vector<std::string> entriesOf(const std::string& folder);

// The folder that the test main created for this process (HOME, XDG folders and the program
// folder lie below it).
const std::string& sandboxRoot();

}  // namespace testsupport
