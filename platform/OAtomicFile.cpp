#include "platform/OAtomicFile.h"

#include "platform/OSystem.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kMaxLinkHops = 40; // the kernel's own limit

// path with every symbolic link in its last component followed; the file
// need not exist. Empty with errno on a loop or an unreadable link.
std::string FollowLinks(std::string path) {
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
        char buffer[PATH_MAX];
        const ssize_t n = ::readlink(path.c_str(), buffer, sizeof buffer);
        if (n < 0) return {};
        if (n == sizeof buffer) {
            errno = ENAMETOOLONG;
            return {};
        }
        const std::string link(buffer, static_cast<std::size_t>(n));
        const auto slash = path.rfind('/');
        path = link.front() == '/' || slash == std::string::npos ? link
                                                                 : path.substr(0, slash + 1) + link;
    }
    errno = ELOOP;
    return {};
}

mode_t CurrentUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

// Makes the rename itself survive a crash; the file is in place already, so
// a failure here is not the caller's to report.
void SyncDirectoryOf(const std::string& path) {
    const auto slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

// 1. Follow links to the file to replace, and refuse one that may not be
//    written, before anything is created.
// 2. Other hard links: open the target itself, truncated.
// 3. Otherwise a fresh temporary file beside it, given the target's owner and
//    the permissions the rule asks for.
bool OAtomicFile::Begin(const std::string& path, mode_t mode, Mode rule) {
    Abort();
    m_end = 0;
    m_target = FollowLinks(path);
    if (m_target.empty()) return false;
    struct stat existing {};
    const bool exists = ::stat(m_target.c_str(), &existing) == 0;
    if (!exists && errno != ENOENT) return false;
    if (exists) {
        if (S_ISDIR(existing.st_mode)) {
            errno = EISDIR;
            return false;
        }
        if (!S_ISREG(existing.st_mode)) {
            errno = kErrorNotRegularFile;
            return false;
        }
        // The program's own files (Given: a backup that copies a read-only
        // original's mode) are replaced whatever their mode.
        if (rule == Mode::KeepTarget) {
            if ((existing.st_mode & 0222) == 0) {
                errno = EACCES;
                return false;
            }
            if (::faccessat(AT_FDCWD, m_target.c_str(), W_OK, AT_EACCESS) != 0) return false;
        }
    }

    if (exists && existing.st_nlink > 1) {
        m_fd = m_io.Open(m_target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC, 0);
        if (m_fd < 0) return false;
        if (rule == Mode::Given && ::fchmod(m_fd, mode) != 0) {
            Abort();
            return false;
        }
        return true;
    }

    m_temp = m_target + ".XXXXXX";
    m_fd = ::mkostemp(m_temp.data(), O_CLOEXEC);
    if (m_fd < 0) {
        m_temp.clear();
        return false;
    }
    if (exists && ::fchown(m_fd, existing.st_uid, existing.st_gid) != 0 && errno != EPERM) {
        Abort();
        return false;
    }
    // After fchown, which clears set-user-ID bits.
    if (rule == Mode::KeepTarget) mode = exists ? existing.st_mode & 07777 : mode & ~CurrentUmask();
    if (::fchmod(m_fd, mode) != 0) {
        Abort();
        return false;
    }
    return true;
}

bool OAtomicFile::Write(const void* data, std::size_t size) {
    if (m_fd < 0) {
        errno = EBADF;
        return false;
    }
    const auto* bytes = static_cast<const char*>(data);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = m_io.PWrite(m_fd, bytes + done, size - done, m_end);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = ENOSPC;
            Abort();
            return false;
        }
        done += static_cast<std::size_t>(n);
        m_end += n;
    }
    return true;
}

bool OAtomicFile::Commit() {
    if (m_fd < 0) {
        errno = EBADF;
        return false;
    }
    // The rename must not publish data still only in the page cache.
    if (m_io.FSync(m_fd) != 0) {
        Abort();
        return false;
    }
    const int fd = m_fd;
    m_fd = -1;
    const std::string temp = std::move(m_temp);
    m_temp.clear();
    if (m_io.Close(fd) != 0 || (!temp.empty() && ::rename(temp.c_str(), m_target.c_str()) != 0)) {
        const int error = errno;
        if (!temp.empty()) ::unlink(temp.c_str());
        errno = error;
        return false;
    }
    if (!temp.empty()) SyncDirectoryOf(m_target);
    return true;
}

void OAtomicFile::Abort() {
    if (m_fd < 0) return;
    const int error = errno;
    m_io.Close(m_fd);
    m_fd = -1;
    if (!m_temp.empty()) ::unlink(m_temp.c_str());
    m_temp.clear();
    errno = error;
}
