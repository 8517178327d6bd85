// Files for tests: fresh temporary folders, and whole-file reads and writes.
#pragma once

#include <string>

namespace rdtest {

// Makes a fresh empty folder under the system's temporary folder ($TMPDIR,
// else /tmp), its name starting with `prefix`; fails the test (and returns
// the temporary folder itself) when it cannot.
std::string makeTempDir(const std::string& prefix = "rigdials-test");

// A fresh folder for one test, removed with everything in it when the object
// goes; a folder that cannot be removed fails the test.
class TempDir {
public:
    explicit TempDir(const std::string& prefix = "rigdials-test") : path_(makeTempDir(prefix)) {}
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string path(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// The file's bytes as they are; empty when it cannot be read.
std::string readFile(const std::string& path);
// Writes the bytes, replacing the file; fails the test when it cannot.
void writeFile(const std::string& path, const std::string& text);

}  // namespace rdtest
