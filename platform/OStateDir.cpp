#include "platform/OStateDir.h"

#include "platform/OSystem.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>

namespace {

// mkdir -p, each missing level 0700; an existing level is taken as it is.
bool MakeDirectories(const std::string& path) {
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string level = path.substr(0, slash);
        if (!level.empty() && ::mkdir(level.c_str(), 0700) != 0 && errno != EEXIST) {
            SetLastError(errno);
            return false;
        }
        if (slash == std::string::npos || slash + 1 >= path.size()) break;
    }
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        SetLastError(errno);
        return false;
    }
    if (!S_ISDIR(info.st_mode)) {
        SetLastError(ENOTDIR);
        return false;
    }
    return true;
}

} // namespace

std::string StateDirectory() {
    std::string base;
    if (const char* state = std::getenv("XDG_STATE_HOME"); state && state[0] == '/') {
        base = state;
    } else if (const char* home = std::getenv("HOME"); home && home[0] == '/') {
        base = std::string(home) + "/.local/state";
    } else {
        SetLastError(ENOENT);
        return {};
    }
    while (base.size() > 1 && base.back() == '/')
        base.pop_back();
    const std::string dir = base + "/quorvalis";
    if (!MakeDirectories(dir)) return {};
    return dir + "/";
}
