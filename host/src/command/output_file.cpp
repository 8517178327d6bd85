#include "command/output_file.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>

namespace rdhost {

namespace {

mode_t currentUmask() {
    // Read without changing it where the kernel reports it; the fallback
    // sets it back at once.
    if (std::FILE* f = std::fopen("/proc/self/status", "r")) {
        char line[256];
        unsigned mask = 0;
        bool found = false;
        while (!found && std::fgets(line, sizeof line, f))
            found = std::sscanf(line, "Umask: %o", &mask) == 1;
        std::fclose(f);
        if (found) return static_cast<mode_t>(mask & 0777);
    }
    mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

}  // namespace

mode_t outputFileMode(const std::string& target) {
    struct stat st;
    if (::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode)) return st.st_mode & 07777;
    return 0666 & ~currentUmask();
}

}  // namespace rdhost
