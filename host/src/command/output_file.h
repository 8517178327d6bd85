// Permissions for files the host writes under a temporary name and renames
// over their target (scene files, playblast pictures and traces).
#pragma once

#include <sys/types.h>

#include <string>

namespace rdhost {

// What a program writing `target` directly would leave: the permissions of the
// regular file it replaces, else 0666 less the process's umask.
mode_t outputFileMode(const std::string& target);

}  // namespace rdhost
