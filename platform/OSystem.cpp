#include "platform/OSystem.h"

#include "platform/OFormat.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <limits.h>
#include <unistd.h>

namespace {
thread_local int t_lastError = 0;
}

int LastError() {
    return t_lastError;
}

void SetLastError(int code) {
    t_lastError = code;
}

std::string SystemErrorText(int code) {
    if (code == -1) code = t_lastError;
    switch (code) {
    case kErrorNotRegularFile:
        return "Not a regular file or block device";
    case kErrorFileReplaced:
        return "The file was replaced or removed on disk after it was opened";
    default:
        break;
    }
    // strerrordesc_np, unlike strerror, tells a code without a text apart.
    const char* text = code > 0 ? strerrordesc_np(code) : nullptr;
    if (text == nullptr) return Format("Unknown error %d", code);
    return text;
}

std::uint64_t AvailableMemory(unsigned divisor) {
    if (divisor == 0) divisor = 1;
    // MemAvailable counts reclaimable page cache, which is what a large
    // allocation can really get; free pages alone undercount badly.
    std::ifstream meminfo("/proc/meminfo");
    std::string key;
    std::uint64_t kib = 0;
    std::string unit;
    while (meminfo >> key >> kib >> unit) {
        if (key == "MemAvailable:") return kib * 1024 / divisor;
    }
    const long pages = sysconf(_SC_AVPHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) return 0;
    return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize) / divisor;
}

std::string SystemTempDirectory() {
    std::string dir;
    if (const char* env = std::getenv("TMPDIR"); env && *env)
        dir = env;
    else
        dir = "/tmp";
    if (dir.back() != '/') dir += '/';
    return dir;
}

bool KernelCopyRefused(long result, int error) {
    return result == 0 || (result < 0 && (error == EXDEV || error == EINVAL || error == ENOSYS ||
                                          error == EOPNOTSUPP || error == EBADF));
}

int OpenNamelessFile(const std::string& tempDir, const char* base, bool forceNamed,
                     std::string& path) {
    std::string dir = tempDir.empty() ? SystemTempDirectory() : tempDir;
    if (dir.back() != '/') dir += '/';
    path = dir + base;
    if (!forceNamed) {
        const int fd = ::open(dir.c_str(), O_TMPFILE | O_RDWR | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0 || (errno != EOPNOTSUPP && errno != EISDIR)) return fd;
    }
    std::string unique = path + ".XXXXXX";
    const int fd = ::mkostemp(unique.data(), O_CLOEXEC);
    if (fd >= 0 && ::unlink(unique.c_str()) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

std::string ExecutablePath() {
    char buffer[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return {};
    return std::string(buffer, static_cast<std::size_t>(n));
}

std::string AbsolutePath(const std::string& path) {
    if (path.empty()) return path;
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(path, error);
    if (error) absolute = path;
    std::string normal = absolute.lexically_normal().string();
    // "dir/" names the same as "dir"; the root keeps its slash.
    if (normal.size() > 1 && normal.back() == '/') normal.pop_back();
    return normal;
}
