// Files the host writes (scene files, playblast pictures and traces) and scene
// files it reads.
//
// A write never goes into the target itself: it goes into a fresh temporary
// file in the target's folder, created exclusively (so no link or earlier
// leftover can be written through), synced to disk, given the mode the target
// would have, and renamed over the target. The target therefore holds its old
// contents or the whole new ones, never a mix; of two saves at once the one
// renamed last is what stays. On any failure the temporary is removed and the
// target left as it was.
//
// Only a new name or an existing regular file the user may write is replaced;
// folders, devices, pipes and sockets are refused, and so are read-only files.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace rdhost {

// What a program writing `target` directly would leave: the permissions of the
// regular file it replaces, else 0666 less the process's umask.
mode_t outputFileMode(const std::string& target);

// The file a write to `target` lands in: `target` itself, or where it leads
// when it is a symbolic link (the link is kept and the file it names replaced).
std::string replacedPath(const std::string& target);

// Whether two names lead to the same file (after links, "." and ".."; or the
// same file under two hard links).
bool sameFile(const std::string& a, const std::string& b);

class ReplacingFile {
public:
    // Checks the target and creates the temporary. Throws HostError
    // "cannot write 'TARGET': REASON".
    explicit ReplacingFile(const std::string& target);
    ~ReplacingFile();  // removes the temporary unless it was committed
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    const std::string& target() const { return target_; }
    std::FILE* stream() { return file_; }
    void write(const std::string& bytes);
    // Throws "cannot write 'TARGET': REASON" and drops the temporary.
    [[noreturn]] void fail(const std::string& reason);
    // Flushes and syncs the contents and sets the mode; reports the reason of
    // any failure (a full disk shows here at the latest).
    void finish();
    // Renames the finished temporary over the target.
    void commit();

private:
    void discard();

    std::string target_, path_, temp_;
    std::FILE* file_ = nullptr;
    bool finished_ = false;
};

// The largest scene file read: larger files are refused before reading.
constexpr std::uint64_t kMaxSceneFileBytes = std::uint64_t(1) << 30;

// The bytes of a regular file of at most `maxBytes`. Anything else (a folder,
// a device, a pipe, a socket, a larger file) is refused before anything is
// read, and opening never waits. Throws HostError naming the file.
std::string readRegularFile(const std::string& path, std::uint64_t maxBytes);

}  // namespace rdhost
