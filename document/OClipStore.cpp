#include "document/OClipStore.h"

#include "document/OEditOps.h"
#include "document/OTransferBuffer.h"
#include "platform/OClipboard.h"
#include "platform/OCodePage.h"
#include "platform/OFormat.h"
#include "platform/OPlatform.h"
#include "platform/OProgress.h"
#include "platform/OStatusText.h"
#include "platform/OSystem.h"
#include "res/OResourceIds.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <span>
#include <string_view>
#include <unistd.h>

namespace {

bool g_noUnnamedFiles = false;

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        // Code page 437 has nothing beyond the basic plane.
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The bytes as the text pane shows them, in code page 437 or Windows-1252;
// the control bytes stay controls, so line breaks and tabs stay what they are
// and pasting reads them back.
std::string PaneTextToUtf8(std::span<const OByte> bytes, bool oem) {
    std::string out;
    out.reserve(bytes.size());
    for (OByte b : bytes) {
        if (b < 0x20 || b == 0x7F)
            out += static_cast<char>(b);
        else
            AppendUtf8(out, oem ? OemToUnicode(b) : AnsiToUnicode(b));
    }
    return out;
}

void ShowOutOfMemory() {
    MessageBoxId(ids::IDS_OUT_OF_MEMORY, OButtons::Ok, OIcon::Stop);
}

// Reads size bytes into block, n of them, fewer at the end of the source.
// Big copies go in blocks with a progress window, so that gigabytes read into
// memory leave the program responsive and can be cancelled. False after a
// read failure (shown) or Cancel.
bool ReadInBlocks(OFile& source, OOffset offset, OByte* block, std::size_t size, std::size_t& n) {
    constexpr std::size_t kBlock = std::size_t{1} << 20;
    n = 0;
    if (size <= kBlock) {
        SetLastError(0);
        n = size > 0 ? source.ReadAt(offset, block, size) : 0;
        if (n < size && LastError() != 0) return source.ShowFileError(-1);
        return true;
    }
    OLongOperation running;
    OStatusText status;
    status.Show(ids::IDS_COPY_MB, static_cast<long long>(size / 1048576));
    auto progress = CreateProgress(0, static_cast<OOffset>(size), true);
    bool ok = true;
    while (n < size) {
        PumpMessages();
        const std::size_t count = std::min(kBlock, size - n);
        progress->SetPos(static_cast<OOffset>(n + count));
        if (progress->Cancelled()) {
            ok = false;
            break;
        }
        SetLastError(0);
        const std::size_t got = source.ReadAt(offset + static_cast<OOffset>(n), block + n, count);
        n += got;
        if (got < count) {
            if (LastError() != 0) ok = source.ShowFileError(-1);
            break;
        }
    }
    status.Restore();
    return ok;
}

} // namespace

bool OClipMemStore::Store(OFile& source, OOffset offset, OOffset length) {
    m_block.reset();
    m_length = 0;
    m_failed = true;
    if (offset < 0 || length < 0) {
        SetLastError(EINVAL);
        return false;
    }
    const auto size = static_cast<std::size_t>(length);
    m_block.reset(static_cast<OByte*>(std::malloc(std::max<std::size_t>(size, 1))));
    if (!m_block) {
        ShowOutOfMemory();
        return false;
    }
    std::size_t n = 0;
    if (!ReadInBlocks(source, offset, m_block.get(), size, n)) {
        m_block.reset();
        return false;
    }
    m_length = static_cast<OOffset>(n);
    m_failed = false;
    return true;
}

bool OClipMemStore::WriteTo(OFile& target, OOffset offset) {
    if (!IsValid()) return false;
    if (m_length == 0) return true;
    if (!target.EnsureWritable()) return false;
    return WriteBlock(m_block.get(), target, offset, static_cast<std::size_t>(m_length));
}

std::size_t OClipMemStore::Read(OByte* buffer, std::size_t count) {
    if (!IsValid()) return 0;
    const std::size_t n = std::min(count, static_cast<std::size_t>(m_length));
    if (n > 0) std::memcpy(buffer, m_block.get(), n);
    return n;
}

void OClipFileStore::SetNoUnnamedFilesForTesting(bool on) {
    g_noUnnamedFiles = on;
}

OClipFileStore::OClipFileStore(const std::string& tempDir) {
    // A file without a name: another instance can neither share nor replace
    // it, no symbolic link can redirect it, and it vanishes with the program.
    std::string path;
    const int fd = OpenNamelessFile(tempDir, "Quorvalis.clip", g_noUnnamedFiles, path);
    int error = errno;
    if (fd < 0 || !m_file.Adopt(fd, path)) {
        if (fd >= 0) error = LastError();
        SetLastError(error);
        MessageBox(FormatId(ids::IDS_FILE_ERROR, path.c_str(), SystemErrorText(error).c_str()),
                   OButtons::Ok, OIcon::Stop);
        m_failed = true;
    }
}

bool OClipFileStore::Store(OFile& source, OOffset offset, OOffset length) {
    if (!IsValid()) return false;
    m_length = 0;
    if (offset < 0 || length < 0) {
        SetLastError(EINVAL);
        m_failed = true;
        return false;
    }
    OLongOperation running;
    if (m_file.GetSize() > 0 && !m_file.SetSize(0)) {
        m_failed = true;
        return m_file.ShowFileError(-1);
    }
    if (length > 0) {
        OTransferBuffer buffer(length);
        if (!CopyRange(buffer, source, offset, m_file, 0, length, ids::IDS_COPY_MB, true)) {
            m_failed = true;
            // Give the disk space back at once; the store is of no use now.
            m_file.SetSize(0);
            return false;
        }
    }
    // A source that ended early left a shorter snapshot.
    m_length = m_file.GetSize();
    return true;
}

bool OClipFileStore::WriteTo(OFile& target, OOffset offset) {
    if (!IsValid()) return false;
    if (m_length == 0) return true;
    // Before the buffer is taken: the backup this may make reuses its block.
    if (!target.EnsureWritable()) return false;
    OTransferBuffer buffer(m_length);
    return CopyRange(buffer, m_file, 0, target, offset, m_length, ids::IDS_PASTE_MB, false);
}

std::size_t OClipFileStore::Read(OByte* buffer, std::size_t count) {
    if (!IsValid()) return 0;
    const std::size_t n = std::min(count, static_cast<std::size_t>(m_length));
    return n > 0 ? m_file.ReadAt(0, buffer, n) : 0;
}

bool OClipHolder::Set(OFile& source, OOffset offset, OOffset length, const std::string& tempDir) {
    // The previous store, and with it its temporary file, goes first: the
    // new copy may need that space.
    m_store.reset();
    if (length < 0) return false;
    const std::uint64_t limit = m_memoryLimit ? *m_memoryLimit : AvailableMemory(4);
    std::unique_ptr<OClipStore> store;
    if (static_cast<std::uint64_t>(length) > limit)
        store = std::make_unique<OClipFileStore>(tempDir);
    else
        store = std::make_unique<OClipMemStore>();
    if (!store->Store(source, offset, length)) return false;
    m_store = std::move(store);
    return true;
}

bool OClipHolder::PasteTo(OFile& target, OOffset offset) {
    return IsValid() && m_store->WriteTo(target, offset);
}

std::size_t OClipHolder::Peek(OByte* buffer, std::size_t count) {
    return IsValid() ? m_store->Read(buffer, count) : 0;
}

bool CopyText(OFile& file, OOffset begin, OOffset length, bool oem) {
    if (begin < 0 || length < 0) return false;
    if (length > kMaxClipboardText) {
        MessageBox(FormatId(ids::IDS_TEXT_TOO_LONG, static_cast<long long>(length)), OButtons::Ok,
                   OIcon::Exclamation);
        return false;
    }
    const auto size = static_cast<std::size_t>(length);
    std::unique_ptr<OByte[]> buffer(new (std::nothrow) OByte[std::max<std::size_t>(size, 1)]);
    if (!buffer) {
        ShowOutOfMemory();
        return false;
    }
    SetLastError(0);
    const std::size_t n = size > 0 ? file.ReadAt(begin, buffer.get(), size) : 0;
    if (n < size && LastError() != 0) return file.ShowFileError(-1);
    const auto* zero = static_cast<const OByte*>(std::memchr(buffer.get(), 0, n));
    const std::span<const OByte> bytes(buffer.get(),
                                       zero ? static_cast<std::size_t>(zero - buffer.get()) : n);
    const std::string text = PaneTextToUtf8(bytes, oem);
    buffer.reset();
    OClipboard* clipboard = Platform().clipboard;
    if (!clipboard || !clipboard->PutText(text)) {
        MessageBoxId(ids::IDS_CLIPBOARD_ERROR, OButtons::Ok, OIcon::Stop);
        return false;
    }
    return true;
}

std::optional<std::vector<OByte>> PasteText(bool oem) {
    OClipboard* clipboard = Platform().clipboard;
    if (!clipboard) return std::nullopt;
    const std::optional<std::string> text = clipboard->GetText();
    if (!text) return std::nullopt;
    std::string_view view(*text);
    view = view.substr(0, view.find('\0'));
    return Utf8ToBytes(view, oem);
}
