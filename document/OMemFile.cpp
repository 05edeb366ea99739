#include "document/OMemFile.h"

#include "platform/OAtomicFile.h"
#include "platform/OPlatform.h"
#include "platform/OStatusText.h"
#include "platform/OSystem.h"
#include "res/OResourceIds.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>

namespace {
constexpr OOffset kGrowthSlack = 4194304;     // 4 MB beyond what was asked
constexpr OOffset kAskAboveSize = 67108864;   // 64 MB
constexpr OOffset kStatusAboveSize = 1048576; // 1 MB
} // namespace

void OMemFile::Touched() {
    OFile::Touched();
    m_unsaved = true;
    if (m_owner) m_owner->SetModifiedFlag(true);
}

bool OMemFile::GrowCapacity(OOffset size) {
    if (size < 0 || static_cast<std::uint64_t>(size) > m_data.max_size() - kGrowthSlack) {
        SetLastError(ENOMEM);
        return false;
    }
    if (static_cast<std::size_t>(size) <= m_data.capacity()) return true;
    try {
        m_data.reserve(static_cast<std::size_t>(size + kGrowthSlack));
    } catch (const std::bad_alloc&) {
        SetLastError(ENOMEM);
        return false;
    }
    return true;
}

bool OMemFile::Reserve(OOffset size) {
    if (size > 0 && static_cast<std::uint64_t>(size) > AvailableMemory(4)) {
        if (MessageBoxId(ids::IDS_FILESIZE_LONG, OButtons::YesNo, OIcon::Question) !=
            OAnswer::Yes) {
            SetLastError(ENOMEM);
            return false;
        }
    }
    if (GrowCapacity(size)) return true;
    MessageBoxId(ids::IDS_OUT_OF_MEMORY, OButtons::Ok, OIcon::Stop);
    return false;
}

bool OMemFile::SetSize(OOffset size) {
    if (size < 0) {
        SetLastError(EINVAL);
        return false;
    }
    OStatusText status;
    if (size > kStatusAboveSize) status.Show(ids::IDS_RESIZE_MB, size / 1048576);
    bool ok = GrowCapacity(size);
    if (ok) {
        try {
            m_data.resize(static_cast<std::size_t>(size));
        } catch (const std::bad_alloc&) {
            ok = false;
        }
    }
    status.Restore();
    if (!ok) {
        SetLastError(ENOMEM);
        MessageBoxId(ids::IDS_OUT_OF_MEMORY, OButtons::Ok, OIcon::Stop);
        return false;
    }
    Touched();
    return true;
}

bool OMemFile::Open(const std::string& path, OAccess access, ODisposition disposition) {
    m_path = path;
    m_writable = access == OAccess::ReadWrite;
    m_data.clear();
    m_position = 0;
    m_unsaved = false;
    if (path.empty()) return true;
    int flags = O_CLOEXEC | O_RDONLY;
    if (disposition == ODisposition::CreateAlways) flags = O_CLOEXEC | O_RDWR | O_CREAT | O_TRUNC;
    const int fd = m_io.Open(path.c_str(), flags, 0666);
    if (fd < 0) {
        SetLastError(errno);
        return false;
    }
    struct stat info {};
    if (m_io.FStat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        m_io.Close(fd);
        MessageBoxId(ids::IDS_FILESIZE_ERROR, OButtons::Ok, OIcon::Stop);
        return false;
    }
    if (info.st_size >= kAskAboveSize + 1 &&
        MessageBoxId(ids::IDS_FILESIZE_LONG, OButtons::YesNo, OIcon::Question) != OAnswer::Yes) {
        m_io.Close(fd);
        SetLastError(ENOMEM);
        return false;
    }
    if (!SetSize(info.st_size)) {
        m_io.Close(fd);
        return false;
    }
    std::size_t done = 0;
    while (done < m_data.size()) {
        const ssize_t n =
            m_io.PRead(fd, m_data.data() + done, m_data.size() - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    m_io.Close(fd);
    if (done < m_data.size()) {
        // The open stands, but what could not be read must not pass for data.
        m_data.resize(done);
        MessageBoxId(ids::IDS_READ_ERROR, OButtons::Ok, OIcon::Stop);
    }
    m_unsaved = false;
    if (m_owner) m_owner->SetModifiedFlag(false);
    return true;
}

std::size_t OMemFile::Read(OByte* buffer, std::size_t count) {
    SetLastError(0);
    if (m_position >= GetSize()) return 0;
    const auto n = std::min(count, static_cast<std::size_t>(GetSize() - m_position));
    std::memcpy(buffer, m_data.data() + m_position, n);
    m_position += static_cast<OOffset>(n);
    return n;
}

bool OMemFile::Seek(OOffset offset) {
    if (offset < 0) {
        SetLastError(EINVAL);
        return false;
    }
    m_position = offset;
    return true;
}

std::size_t OMemFile::Write(const OByte* buffer, std::size_t count) {
    if (count == 0) return 0;
    if (count > static_cast<std::uint64_t>(kOffsetMax - m_position)) {
        SetLastError(EFBIG);
        return 0;
    }
    const OOffset end = m_position + static_cast<OOffset>(count);
    if (end > GetSize() && !SetSize(end)) return 0;
    std::memcpy(m_data.data() + m_position, buffer, count);
    m_position = end;
    Touched();
    SetLastError(0);
    return count;
}

bool OMemFile::ReopenForWrite() {
    m_writable = true;
    return true;
}

bool OMemFile::Commit() {
    std::string path = m_path;
    if (path.empty()) {
        auto chosen = AskSaveFileName();
        if (!chosen || chosen->empty()) return false;
        path = *chosen;
    }
    if (!EnsureWritable()) return false;
    // Typed bytes that could not go into memory (already reported) would be
    // missing from the file while the save said it succeeded.
    if (CommitPending() == 0 && HasPending()) return false;
    if (!WriteOut(path)) return false;
    if (path != m_path) {
        m_path = path;
        if (m_owner) m_owner->SetPathName(path);
    }
    m_unsaved = false;
    if (m_owner) m_owner->SetModifiedFlag(false);
    return true;
}

// Through OAtomicFile: a full disk or a crash never leaves the target half
// written, and an existing target keeps its old content until the new one is
// complete. A full disk may be retried once the user has made room.
bool OMemFile::WriteOut(const std::string& path) {
    for (;;) {
        OAtomicFile out(m_io);
        if (out.Begin(path, 0666) && out.Write(m_data.data(), m_data.size()) && out.Commit())
            return true;
        const int error = errno;
        if (error == ENOSPC &&
            MessageBoxId(ids::IDS_DISK_FULL, OButtons::YesNo, OIcon::Exclamation) == OAnswer::Yes)
            continue;
        // The message names the file asked for; m_path is still the old name.
        const std::string shownPath = m_path;
        m_path = path;
        SetLastError(error);
        ShowFileError(-1);
        m_path = shownPath;
        return false;
    }
}
