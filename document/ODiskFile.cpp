#include "document/ODiskFile.h"

#include "platform/OPlatform.h"
#include "platform/OSystem.h"
#include "res/OResourceIds.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <linux/falloc.h>
#include <utility>

namespace {
// Linux moves at most about 2 GiB per call; stay well inside it.
constexpr std::size_t kMaxTransfer = std::size_t{1} << 30;
} // namespace

ODiskFile::~ODiskFile() {
    Close();
}

void ODiskFile::Close() {
    if (m_fd >= 0) m_io.Close(m_fd);
    m_fd = -1;
    m_writable = false;
}

// 1. Reopen for writing (backup first), and take the current size.
// 2. Reserve the blocks from the current end to size without changing the
//    size, so that a full disk shows before a byte of the tail moves.
// 3. Where the filesystem cannot reserve, write the new last byte instead.
// A full disk asks "Disk full. Try again ?"; No leaves the file as it was.
bool ODiskFile::Reserve(OOffset size) {
    if (!EnsureWritable()) return false;
    OOffset current = 0;
    // Read as 0, an unknown size would reserve (or write) from the start.
    if (!TryGetSize(current)) return false;
    if (size <= current) return true;
    // A device cannot grow, and no retry would change that.
    if (m_isDevice) {
        SetLastError(ENOSPC);
        return ShowFileError(-1);
    }
    bool reserving = true;
    for (;;) {
        int error = 0;
        if (reserving) {
            if (m_io.FAllocate(m_fd, FALLOC_FL_KEEP_SIZE, current, size - current) == 0)
                return true;
            error = errno;
            if (error == EOPNOTSUPP || error == ENOSYS) {
                reserving = false;
                continue;
            }
        } else {
            // A plain write past the end, not WriteAt: a failure must not
            // leave the file longer.
            static const OByte zero = 0;
            if (Seek(size - 1) && Write(&zero, 1) == 1) return true;
            error = LastError();
        }
        if (error == EINTR) continue;
        if (error == ENOSPC) {
            // A partly made reservation past the end would only waste space.
            if (reserving) m_io.FTruncate(m_fd, current);
            if (MessageBoxId(ids::IDS_DISK_FULL, OButtons::YesNo, OIcon::Exclamation) ==
                OAnswer::Yes)
                continue;
            SetLastError(ENOSPC);
            return false;
        }
        SetLastError(error);
        return ShowFileError(-1);
    }
}

bool ODiskFile::QuerySize(OOffset& size) {
    size = 0;
    if (m_fd < 0) return true;
    if (m_isDevice) {
        const off_t device = m_io.DeviceSize(m_fd);
        if (device >= 0) {
            size = device;
            return true;
        }
    } else {
        struct stat info {};
        if (m_io.FStat(m_fd, &info) == 0) {
            size = info.st_size;
            return true;
        }
    }
    SetLastError(errno);
    return false;
}

bool ODiskFile::SetSize(OOffset size) {
    if (!EnsureWritable()) return false;
    if (size < 0) {
        SetLastError(EINVAL);
        return false;
    }
    if (m_fence) m_fence->Wait(size, kOffsetMax);
    if (m_io.FTruncate(m_fd, size) != 0) {
        SetLastError(errno);
        return false;
    }
    Touched();
    return true;
}

bool ODiskFile::Open(const std::string& path, OAccess access, ODisposition disposition) {
    Close();
    m_path = path;
    m_writable = access == OAccess::ReadWrite;
    if (path.empty()) return true;
    int flags = O_CLOEXEC | (m_writable ? O_RDWR : O_RDONLY);
    if (disposition == ODisposition::CreateAlways) flags |= O_CREAT | O_TRUNC;
    // Not blocking until the type is known: opening a FIFO waits for a writer.
    const int fd = m_io.Open(path.c_str(), flags | O_NONBLOCK, 0666);
    if (fd < 0) {
        SetLastError(errno);
        m_writable = false;
        return false;
    }
    // A directory opens fine on Linux and a FIFO would block its reads: only
    // regular files and block devices (disk images) are documents.
    struct stat info {};
    int refusal = 0;
    if (m_io.FStat(fd, &info) != 0)
        refusal = errno;
    else if (S_ISDIR(info.st_mode))
        refusal = EISDIR;
    else if (!S_ISREG(info.st_mode) && !S_ISBLK(info.st_mode))
        refusal = kErrorNotRegularFile;
    if (refusal != 0) {
        m_io.Close(fd);
        m_writable = false;
        SetLastError(refusal);
        return false;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    m_fd = fd;
    m_isDevice = S_ISBLK(info.st_mode);
    m_position = 0;
    return true;
}

bool ODiskFile::Adopt(int fd, std::string path) {
    Close();
    struct stat info {};
    int error = 0;
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || m_io.FStat(fd, &info) != 0)
        error = errno;
    else if (!S_ISREG(info.st_mode))
        error = kErrorNotRegularFile;
    if (error != 0) {
        m_io.Close(fd);
        SetLastError(error);
        return false;
    }
    m_fd = fd;
    m_path = std::move(path);
    m_writable = (flags & O_ACCMODE) != O_RDONLY;
    m_isDevice = false;
    m_position = 0;
    return true;
}

std::size_t ODiskFile::Read(OByte* buffer, std::size_t count) {
    SetLastError(0);
    std::size_t done = 0;
    while (done < count) {
        const std::size_t chunk = std::min(count - done, kMaxTransfer);
        const ssize_t n = m_io.PRead(m_fd, buffer + done, chunk, m_position);
        if (n < 0) {
            if (errno == EINTR) continue;
            SetLastError(errno);
            break;
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
        m_position += n;
    }
    return done;
}

bool ODiskFile::Commit() {
    return CommitPending() != 0;
}

bool ODiskFile::Seek(OOffset offset) {
    if (offset < 0) {
        SetLastError(EINVAL);
        return false;
    }
    m_position = offset;
    return true;
}

std::size_t ODiskFile::Write(const OByte* buffer, std::size_t count) {
    if (!m_writable || m_fd < 0) {
        SetLastError(EBADF);
        return 0;
    }
    Touched();
    if (m_fence && count > 0) {
        const auto room = static_cast<std::uint64_t>(kOffsetMax - m_position);
        m_fence->Wait(m_position,
                      m_position + static_cast<OOffset>(std::min<std::uint64_t>(count, room)));
    }
    SetLastError(0);
    std::size_t done = 0;
    while (done < count) {
        const std::size_t chunk = std::min(count - done, kMaxTransfer);
        const ssize_t n = m_io.PWrite(m_fd, buffer + done, chunk, m_position);
        if (n < 0) {
            if (errno == EINTR) continue;
            SetLastError(errno);
            break;
        }
        if (n == 0) {
            SetLastError(ENOSPC);
            break;
        }
        done += static_cast<std::size_t>(n);
        m_position += n;
    }
    return done;
}

bool ODiskFile::IsSameFile(const std::string& path) const {
    struct stat open {};
    struct stat named {};
    return m_fd >= 0 && m_io.FStat(m_fd, &open) == 0 && ::stat(path.c_str(), &named) == 0 &&
           open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

bool ODiskFile::ReopenForWrite() {
    // The writable handle is opened before the read-only one is closed, so a
    // failure leaves the document readable as it was.
    // Not blocking: a FIFO put in the file's place must not hang the program.
    const int fd = m_io.Open(m_path.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK, 0);
    if (fd < 0) {
        SetLastError(errno);
        return ShowFileError(-1);
    }
    // The path must still name the file on screen: writing the user's
    // changes into a file that replaced it would corrupt that other file.
    struct stat shown {};
    struct stat reopened {};
    if (m_fd >= 0 && (m_io.FStat(m_fd, &shown) != 0 || m_io.FStat(fd, &reopened) != 0 ||
                      shown.st_dev != reopened.st_dev || shown.st_ino != reopened.st_ino)) {
        m_io.Close(fd);
        SetLastError(kErrorFileReplaced);
        return ShowFileError(-1);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (m_fd >= 0) m_io.Close(m_fd);
    m_fd = fd;
    m_writable = true;
    return true;
}
