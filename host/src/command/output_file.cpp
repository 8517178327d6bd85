#include "command/output_file.h"

#include "graph/scene.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

namespace rdhost {

namespace {

namespace fsys = std::filesystem;

mode_t currentUmask() {
    // Read without changing it where the kernel reports it; the fallback
    // sets it back at once.
    if (std::FILE* f = std::fopen("/proc/self/status", "r")) {
        char line[256];
        unsigned mask = 0;
        bool found = false;
        while (!found && std::fgets(line, sizeof line, f)) found = std::sscanf(line, "Umask: %o", &mask) == 1;
        std::fclose(f);
        if (found) return static_cast<mode_t>(mask & 0777);
    }
    mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

// "a device", "a pipe"... for a file that is neither regular nor a folder.
const char* kindOf(mode_t mode) {
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
    if (S_ISFIFO(mode)) return "a pipe";
    if (S_ISSOCK(mode)) return "a socket";
    return "not a regular file";
}

std::string sizeText(std::uint64_t bytes) {
    if (bytes % (std::uint64_t(1) << 30) == 0) return std::to_string(bytes >> 30) + " GiB";
    if (bytes % (std::uint64_t(1) << 20) == 0) return std::to_string(bytes >> 20) + " MiB";
    return std::to_string(bytes) + " bytes";
}

bool namesFolder(const std::string& path) {
    const fsys::path name = fsys::path(path).filename();
    return path.empty() || name.empty() || name == "." || name == "..";
}

// Why writing over `path` (links already followed) is refused, "" when it is not.
std::string refusal(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return "";  // a new name; the folder is checked on creation
    if (S_ISDIR(st.st_mode)) return "it is a folder";
    if (!S_ISREG(st.st_mode)) return std::string("it is ") + kindOf(st.st_mode) + ", not a regular file";
    // The mode bits decide, not access(2) alone: root passes access() for any
    // file, yet a file nobody may write is meant to stay as it is.
    if ((st.st_mode & 0222) == 0 || ::access(path.c_str(), W_OK) != 0) return "the file is read-only";
    return "";
}

}  // namespace

mode_t outputFileMode(const std::string& target) {
    struct stat st;
    if (::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode)) return st.st_mode & 07777;
    return 0666 & ~currentUmask();
}

std::string replacedPath(const std::string& target) {
    struct stat st;
    if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return target;
    std::error_code ec;
    const fsys::path resolved = fsys::weakly_canonical(fsys::path(target), ec);
    return ec ? target : resolved.string();
}

bool sameFile(const std::string& a, const std::string& b) {
    std::error_code ea, eb;
    const fsys::path ra = fsys::weakly_canonical(fsys::absolute(a, ea), ea);
    const fsys::path rb = fsys::weakly_canonical(fsys::absolute(b, eb), eb);
    if (!ea && !eb && ra == rb) return true;
    struct stat sa, sb;
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

ReplacingFile::ReplacingFile(const std::string& target) : target_(target) {
    if (namesFolder(target)) fail("it names a folder");
    path_ = replacedPath(target);
    if (std::string why = refusal(path_); !why.empty()) fail(why);
    // A short name of our own: the target's name may already be as long as a
    // name can be.
    const fsys::path folder = fsys::path(path_).parent_path();
    std::string pattern = (folder.empty() ? fsys::path(".") : folder) / ".rigdials-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    // mkostemp creates with O_EXCL: a link or file already at the name fails
    // the call instead of being written through.
    const int fd = ::mkostemp(buf.data(), O_CLOEXEC);
    if (fd < 0) fail(std::strerror(errno));
    temp_ = buf.data();
    file_ = ::fdopen(fd, "wb");
    if (!file_) {
        const int e = errno;
        ::close(fd);
        fail(std::strerror(e));
    }
}

ReplacingFile::~ReplacingFile() { discard(); }

void ReplacingFile::discard() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
    if (!temp_.empty()) ::unlink(temp_.c_str());
    temp_.clear();
}

void ReplacingFile::fail(const std::string& reason) {
    discard();
    throw HostError("cannot write '" + target_ + "': " + reason);
}

void ReplacingFile::write(const std::string& bytes) {
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size())
        fail(std::strerror(errno));
}

void ReplacingFile::finish() {
    // The mode is set on the open file, after the writing: a umask that
    // leaves no write permission must still let the contents in.
    if (std::fflush(file_) != 0 || ::fsync(::fileno(file_)) != 0 ||
        ::fchmod(::fileno(file_), outputFileMode(path_)) != 0)
        fail(std::strerror(errno));
    const int closed = std::fclose(file_);
    file_ = nullptr;
    if (closed != 0) fail(std::strerror(errno));
    finished_ = true;
}

void ReplacingFile::commit() {
    if (!finished_) finish();
    // Checked again: the target may have changed while the contents were made.
    if (std::string why = refusal(path_); !why.empty()) fail(why);
    if (std::rename(temp_.c_str(), path_.c_str()) != 0) fail(std::strerror(errno));
    temp_.clear();
    // The new name is durable once its folder is synced; a folder that cannot
    // be synced changes nothing about what was written.
    const fsys::path folder = fsys::path(path_).parent_path();
    const int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

std::string readRegularFile(const std::string& path, std::uint64_t maxBytes) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT) throw HostError("no file '" + path + "'");
        throw HostError("cannot read '" + path + "': " + std::strerror(errno));
    }
    auto check = [&](const struct stat& s) {
        if (S_ISDIR(s.st_mode)) throw HostError("'" + path + "' is a folder, not a scene file");
        if (!S_ISREG(s.st_mode))
            throw HostError("'" + path + "' is " + kindOf(s.st_mode) + ", not a scene file");
        if (static_cast<std::uint64_t>(s.st_size) > maxBytes)
            throw HostError("'" + path + "' is larger than " + sizeText(maxBytes) +
                            ", the most a scene file may hold");
    };
    check(st);
    // Not blocking: if a pipe took the file's place since the check, opening
    // returns at once and the second check refuses it.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) throw HostError("cannot read '" + path + "': " + std::strerror(errno));
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    if (::fstat(fd, &st) != 0) throw HostError("cannot read '" + path + "': " + std::strerror(errno));
    check(st);
    std::string text;
    text.reserve(static_cast<std::size_t>(st.st_size));
    char buf[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            throw HostError("cannot read '" + path + "': " + std::strerror(errno));
        }
        // The file may grow while it is read.
        if (text.size() + static_cast<std::size_t>(n) > maxBytes)
            throw HostError("'" + path + "' is larger than " + sizeText(maxBytes) +
                            ", the most a scene file may hold");
        text.append(buf, static_cast<std::size_t>(n));
    }
    return text;
}

}  // namespace rdhost
