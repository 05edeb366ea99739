#include "document/OUndoStore.h"

#include "document/OEditOps.h"
#include "document/OTransferBuffer.h"
#include "platform/OFormat.h"
#include "platform/OPlatform.h"
#include "platform/OProgress.h"
#include "platform/OStatusText.h"
#include "platform/OSystem.h"
#include "res/OResourceIds.h"

#include <algorithm>
#include <cerrno>
#include <exception>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <thread>
#include <unistd.h>

namespace {

bool g_noUnnamedFiles = false;
bool g_noHoles = false;
bool g_noKernelCopy = false;

// The source's own bytes, read-only, where they can be reached by its name:
// the name may lead elsewhere by now. -1 for none.
int OpenSourceBytes(OFile& source, OOffset offset, OOffset length) {
    if (!dynamic_cast<ODiskFile*>(&source) || source.Path().empty() ||
        source.Pending().AnyIn(offset, offset + length))
        return -1;
    const int in = ::open(source.Path().c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (in < 0) return -1;
    if (!source.IsSameFile("/proc/self/fd/" + std::to_string(in))) {
        ::close(in);
        return -1;
    }
    return in;
}

// Copies length bytes of the disk file source at offset to fd at target in
// the kernel, without passing them through memory here. 1 when done, 0 after
// Cancel or a failure (shown), -1 when this way cannot be used (nothing shown,
// nothing written that matters): then the caller copies through a buffer.
int KernelCopy(OFile& source, OOffset offset, int fd, OOffset target, OOffset length) {
    const int in = OpenSourceBytes(source, offset, length);
    if (in < 0) return -1;
    constexpr OOffset kChunk = OOffset{1} << 24;
    OLongOperation running;
    OStatusText status;
    if (length > kChunk) status.Show(ids::IDS_COPY_MB, static_cast<long long>(length >> 20));
    std::unique_ptr<OProgress> progress;
    loff_t from = offset;
    loff_t to = target;
    int result = 1;
    for (OOffset done = 0; done < length;) {
        if (done > 0) {
            if (!progress) progress = CreateProgress(0, length, true);
            progress->SetPos(done);
            PumpMessages();
            if (progress->Cancelled()) {
                SetLastError(ECANCELED);
                result = 0;
                break;
            }
        }
        const ssize_t n = ::copy_file_range(
            in, &from, fd, &to, static_cast<std::size_t>(std::min(kChunk, length - done)), 0);
        if (n > 0) {
            done += n;
            continue;
        }
        const int error = n == 0 ? EIO : errno;
        if (done == 0 && KernelCopyRefused(n, error)) {
            result = -1; // the buffer does it, from the start
            break;
        }
        SetLastError(error);
        source.ShowFileError(-1);
        result = 0;
        break;
    }
    status.Restore();
    ::close(in);
    return result;
}

} // namespace

OUndoStore::OUndoStore(std::string tempDir) : m_tempDir(std::move(tempDir)) {}

OUndoStore::~OUndoStore() {
    Discard();
}

// The file's last descriptor goes on a thread of its own when the file is
// large: freeing its cached pages took about 60 ms per GiB, which a delete
// dropping the redo step of the last one waited for.
void OUndoStore::Discard() {
    constexpr OOffset kFreeAside = OOffset{64} << 20;
    m_file.reset();
    if (m_fd >= 0) {
        bool aside = m_end >= kFreeAside;
        if (aside) {
            try {
                std::thread([fd = m_fd] { ::close(fd); }).detach();
            } catch (const std::exception&) {
                aside = false;
            }
        }
        if (!aside) ::close(m_fd);
    }
    m_fd = -1;
    m_end = 0;
}

void OUndoStore::SetNoUnnamedFilesForTesting(bool on) {
    g_noUnnamedFiles = on;
}

void OUndoStore::SetNoHolesForTesting(bool on) {
    g_noHoles = on;
}

void OUndoStore::SetNoKernelCopyForTesting(bool on) {
    g_noKernelCopy = on;
}

bool OUndoStore::Open() {
    if (m_file) return true;
    std::string path;
    const int fd = OpenNamelessFile(m_tempDir, "Quorvalis.undo", g_noUnnamedFiles, path);
    int error = errno;
    const int second = fd >= 0 ? ::fcntl(fd, F_DUPFD_CLOEXEC, 0) : -1;
    auto file = std::make_unique<ODiskFile>();
    if (fd < 0 || second < 0 || !file->Adopt(fd, path)) {
        if (fd >= 0) error = second < 0 ? errno : LastError();
        if (second >= 0)
            ::close(second);
        else if (fd >= 0)
            ::close(fd);
        SetLastError(error);
        MessageBox(FormatId(ids::IDS_FILE_ERROR, path.c_str(), SystemErrorText(error).c_str()),
                   OButtons::Ok, OIcon::Stop);
        return false;
    }
    m_file = std::move(file);
    m_fd = second;
    m_holes = !g_noHoles;
    return true;
}

OOffset OUndoStore::Append(OFile& source, OOffset offset, OOffset length) {
    if (length <= 0) return length == 0 ? m_end : -1;
    if (!Open()) return -1;
    const OOffset at = m_end;
    // In the kernel where it can, else large blocks through the program's one
    // transfer buffer.
    int copied = g_noKernelCopy ? -1 : KernelCopy(source, offset, m_fd, at, length);
    if (copied < 0) {
        OTransferBuffer buffer(length);
        copied = CopyRange(buffer, source, offset, *m_file, at, length, ids::IDS_COPY_MB, true);
    }
    if (copied == 0) {
        // Whatever landed goes back: the store must not grow by a failure.
        m_file->SetSize(at);
        return -1;
    }
    m_end = at + length;
    m_used += static_cast<std::uint64_t>(length);
    return at;
}

std::unique_ptr<OStoreCopy> OUndoStore::AppendInBackground(OFile& source, OOffset offset,
                                                           OOffset length, OOffset& at) {
    if (length <= 0 || g_noKernelCopy) return nullptr;
    if (!Open()) {
        at = -1;
        return nullptr;
    }
    const int in = OpenSourceBytes(source, offset, length);
    if (in < 0) return nullptr;
    const int out = ::fcntl(m_fd, F_DUPFD_CLOEXEC, 0);
    if (out < 0) {
        ::close(in);
        return nullptr;
    }
    std::unique_ptr<OStoreCopy> copy;
    try {
        copy = std::make_unique<OStoreCopy>(in, offset, out, m_end, length);
    } catch (const std::exception&) {
        // No thread to be had: the caller copies here instead.
        ::close(in);
        ::close(out);
        return nullptr;
    }
    at = m_end;
    m_end = at + length;
    m_used += static_cast<std::uint64_t>(length);
    return copy;
}

OOffset OUndoStore::AppendBytes(const OByte* data, std::size_t count) {
    if (count == 0) return m_end;
    if (!Open()) return -1;
    const OOffset at = m_end;
    if (!m_file->WriteAllAt(at, data, count)) {
        m_file->SetSize(at);
        return -1;
    }
    m_end = at + static_cast<OOffset>(count);
    m_used += count;
    return at;
}

bool OUndoStore::ReadBytes(OOffset at, OByte* out, std::size_t count) {
    if (count == 0) return true;
    if (!m_file || at < 0 || at > m_end - static_cast<OOffset>(count)) {
        SetLastError(EINVAL);
        return false;
    }
    SetLastError(0);
    if (m_file->ReadAt(at, out, count) == count) return true;
    return m_file->ShowFileError(-1);
}

bool OUndoStore::CopyTo(OOffset at, OOffset length, OFile& target, OOffset offset) {
    if (length <= 0) return true;
    if (!m_file || at < 0 || at > m_end - length) {
        SetLastError(EINVAL);
        return false;
    }
    if (!target.EnsureWritable()) return false;
    OTransferBuffer buffer(length);
    return CopyRange(buffer, *m_file, at, target, offset, length, ids::IDS_PASTE_MB, false);
}

void OUndoStore::Release(OOffset at, OOffset length) {
    if (!m_file || length <= 0) return;
    m_used -= std::min<std::uint64_t>(m_used, static_cast<std::uint64_t>(length));
    if (m_used == 0) {
        // Nothing held: the next segment starts a new file.
        Discard();
        return;
    }
    if (at + length == m_end) {
        // The newest segment: the file is cut instead, which works on every
        // file system.
        m_end = at;
        m_file->SetSize(m_end);
        return;
    }
    if (m_holes && ::fallocate(m_fd, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, at, length) != 0 &&
        (errno == EOPNOTSUPP || errno == ENOSYS))
        m_holes = false;
}

std::uint64_t OUndoStore::DiskUsage() const {
    struct stat info {};
    if (m_fd < 0 || ::fstat(m_fd, &info) != 0) return 0;
    return static_cast<std::uint64_t>(info.st_blocks) * 512;
}

std::uint64_t DefaultUndoStoreLimit(const std::string& tempDir) {
    const std::string dir = tempDir.empty() ? SystemTempDirectory() : tempDir;
    struct statvfs info {};
    if (::statvfs(dir.c_str(), &info) != 0) return 0;
    const std::uint64_t free = static_cast<std::uint64_t>(info.f_bavail) * info.f_frsize;
    return std::min<std::uint64_t>(free / 4, std::uint64_t{16} << 30);
}
