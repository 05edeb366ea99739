#include "document/OFile.h"

#include "platform/OFormat.h"
#include "platform/OPlatform.h"
#include "platform/OSystem.h"
#include "res/OResourceIds.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iterator>
#include <sys/stat.h>
#include <vector>

void OFile::Touched() {
    NoteChanged();
}

bool OFile::EnsureWritable() {
    if (m_writable) return true;
    // One backup until the file really is writable: a reopen that fails
    // would otherwise back up again at every key, and in the generations
    // mode turn every generation into a copy of the current file.
    if (m_backup && !m_backedUp) {
        if (!m_backup(*this) &&
            MessageBoxId(ids::IDS_BACKUP_FAILED, OButtons::YesNo, OIcon::Question) != OAnswer::Yes)
            return false;
        m_backedUp = true;
    }
    if (m_path.empty()) {
        m_writable = true;
        return true;
    }
    return ReopenForWrite();
}

std::size_t OFile::ReadAt(OOffset offset, OByte* buffer, std::size_t count) {
    if (count == 0) return 0;
    const std::size_t n = Seek(offset) ? Read(buffer, count) : 0;
    if (m_pending.Empty()) return n;
    const int readError = LastError();
    // The distance test keeps offset + count from overflowing near 2^63.
    const auto end = count > static_cast<std::uint64_t>(kOffsetMax - offset)
                         ? kOffsetMax
                         : offset + static_cast<OOffset>(count);
    std::size_t result = n;
    // A failed read ends the data: zeros under a typed byte would pass for
    // bytes never read.
    if (n < count && readError == 0 && m_pending.AnyIn(offset, end)) {
        // Bytes typed past the physical end count up to the logical end, so
        // a row that ends inside the file's new tail shows that tail.
        const OOffset logical = LogicalSize();
        if (logical > offset)
            result = std::max(
                n, static_cast<std::size_t>(std::min<std::uint64_t>(count, logical - offset)));
    }
    // A short physical read under pending bytes leaves a gap that must read
    // as zeros (what the file will hold once committed), not as stale memory.
    if (result > n) std::memset(buffer + n, 0, result - n);
    m_pending.Overlay(offset, buffer, result);
    SetLastError(readError);
    return result;
}

std::size_t OFile::WriteAt(OOffset offset, const OByte* buffer, std::size_t count) {
    if (offset < 0 || count > static_cast<std::uint64_t>(kOffsetMax - offset)) {
        SetLastError(EFBIG);
        return 0;
    }
    const OOffset end = offset + static_cast<OOffset>(count);
    OOffset size = 0;
    if (!TryGetSize(size)) return 0;
    if (end > size && !SetSize(end)) return 0;
    if (!Seek(offset)) return 0;
    return Write(buffer, count);
}

bool OFile::WriteAllAt(OOffset offset, const OByte* buffer, std::size_t count) {
    for (;;) {
        if (WriteAt(offset, buffer, count) == count) return true;
        if (LastError() != ENOSPC) break;
        if (MessageBoxId(ids::IDS_DISK_FULL, OButtons::YesNo, OIcon::Exclamation) != OAnswer::Yes) {
            SetLastError(ENOSPC);
            return false;
        }
    }
    return ShowFileError(-1);
}

bool OFile::SetByte(OOffset offset, OByte oldByte, OByte newByte) {
    if (offset < 0 || offset == kOffsetMax) return false;
    if (!EnsureWritable()) return false;
    if (m_baseSize == -1) m_baseSize = m_logicalSize = GetSize();
    // Never shrink: retyping an earlier appended byte must not drop the later ones.
    if (offset >= m_baseSize) m_logicalSize = std::max(m_logicalSize, offset + 1);
    m_pending.Set(offset, oldByte, newByte);
    NoteChanged();
    if (m_owner) m_owner->SetModifiedFlag(true);
    return true;
}

bool OFile::UndoByte(OOffset offset) {
    if (!m_pending.Erase(offset)) return false;
    // Taking back the last byte typed past the end takes back the gap before
    // it as well: those zeros were never typed, and a save would not write them.
    if (offset + 1 == m_logicalSize && m_logicalSize > m_baseSize) {
        const OOffset last = m_pending.Empty() ? -1 : std::prev(m_pending.end())->first;
        m_logicalSize = std::max(m_baseSize, last + 1);
    }
    if (m_pending.Empty()) m_baseSize = m_logicalSize = -1;
    NoteChanged();
    if (m_owner) m_owner->SetModifiedFlag(HasPending() || HasUnsavedContent());
    return true;
}

std::size_t OFile::CommitPending() {
    if (m_pending.Empty() || !EnsureWritable()) return 0;
    const OOffset logical = m_logicalSize;
    std::size_t written = 0;
    // Runs of adjacent changes go out in one write each, in ascending order:
    // a million typed bytes must not cost a million system calls.
    constexpr std::size_t kRunLimit = 65536;
    std::vector<OByte> run;
    run.reserve(std::min<std::size_t>(kRunLimit, m_pending.Size()));
    auto it = m_pending.begin();
    while (it != m_pending.end() && it->first < logical) {
        if (it->first < 0) {
            ++it;
            continue;
        }
        const OOffset runStart = it->first;
        auto runEnd = it;
        run.clear();
        while (runEnd != m_pending.end() && runEnd->first < logical &&
               runEnd->first == runStart + static_cast<OOffset>(run.size()) &&
               run.size() < kRunLimit) {
            run.push_back(runEnd->second.newByte);
            ++runEnd;
        }
        if (!WriteAllAt(runStart, run.data(), run.size())) {
            // What was written is on disk; what was not stays pending, so a
            // later save can still write it.
            while (m_pending.begin() != it)
                m_pending.EraseAt(m_pending.begin());
            NoteChanged();
            return 0;
        }
        written += run.size();
        it = runEnd;
    }
    DiscardPending();
    // DiscardPending calls the document unmodified; bytes written into a
    // memory document are still unsaved, and its Touched says so again.
    Touched();
    return written;
}

void OFile::DiscardPending() {
    m_pending.Clear();
    m_baseSize = m_logicalSize = -1;
    NoteChanged();
    if (m_owner) m_owner->SetModifiedFlag(HasUnsavedContent());
}

bool OFile::TryGetSize(OOffset& size) {
    SetLastError(0);
    size = GetSize();
    return LastError() == 0;
}

bool OFile::QuietLogicalSize(OOffset& size) {
    if (!m_pending.Empty()) {
        size = m_logicalSize;
        return true;
    }
    return QuerySize(size);
}

OOffset OFile::GetSize() {
    OOffset size = 0;
    if (QuerySize(size)) return size;
    MessageBoxId(ids::IDS_FILESIZE_ERROR, OButtons::Ok, OIcon::Stop);
    return 0;
}

OOffset OFile::LogicalSize() {
    return m_pending.Empty() ? GetSize() : m_logicalSize;
}

bool OFile::ShowFileError(int code) const {
    MessageBox(FormatId(ids::IDS_FILE_ERROR, m_path.c_str(), SystemErrorText(code).c_str()),
               OButtons::Ok, OIcon::Stop);
    return false;
}
