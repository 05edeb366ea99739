#pragma once

#include "document/ODiskFile.h"
#include "platform/OTypes.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// A snapshot of copied bytes, in memory or in a temporary file. Every
// failure is shown where it happens; a store that failed stays invalid.
class OClipStore {
public:
    OClipStore() = default;
    OClipStore(const OClipStore&) = delete;
    OClipStore& operator=(const OClipStore&) = delete;
    virtual ~OClipStore() = default;

    // Takes a copy of [offset, offset + length) of source, pending bytes
    // included. A source that ends early gives a shorter snapshot.
    virtual bool Store(OFile& source, OOffset offset, OOffset length) = 0;
    virtual bool IsValid() const = 0;
    // Writes the snapshot over target at offset.
    virtual bool WriteTo(OFile& target, OOffset offset) = 0;
    // The first min(count, Length()) bytes; 0 on failure.
    virtual std::size_t Read(OByte* buffer, std::size_t count) = 0;

    OOffset Length() const { return m_length; }

protected:
    OOffset m_length = 0;
    bool m_failed = false;
};

class OClipMemStore final : public OClipStore {
public:
    bool Store(OFile& source, OOffset offset, OOffset length) override;
    bool IsValid() const override { return m_block != nullptr && !m_failed; }
    bool WriteTo(OFile& target, OOffset offset) override;
    std::size_t Read(OByte* buffer, std::size_t count) override;

private:
    struct OFree {
        void operator()(OByte* p) const { std::free(p); }
    };
    std::unique_ptr<OByte, OFree> m_block;
};

// Holds the snapshot in a file without a name in tempDir (the TmpDir setting;
// empty for the system's temporary directory): nothing else can open it, and
// it is gone when the store closes or the program dies.
class OClipFileStore final : public OClipStore {
public:
    explicit OClipFileStore(const std::string& tempDir);

    bool Store(OFile& source, OOffset offset, OOffset length) override;
    bool IsValid() const override { return m_file.IsOpen() && !m_failed; }
    bool WriteTo(OFile& target, OOffset offset) override;
    std::size_t Read(OByte* buffer, std::size_t count) override;

    // The name shown in messages: the directory and "Quorvalis.clip".
    const std::string& Path() const { return m_file.Path(); }

    // Makes new stores take the way used where the file system cannot make
    // files without a name (a named file, removed at once).
    static void SetNoUnnamedFilesForTesting(bool on);

private:
    ODiskFile m_file;
};

// The program's one clipboard store. A new copy destroys the previous store
// (and its temporary file) before making the next one.
class OClipHolder {
public:
    // Copies larger than memoryLimit go to a temporary file; without one, the
    // limit is a quarter of the available memory at the time of the copy.
    explicit OClipHolder(std::optional<std::uint64_t> memoryLimit = std::nullopt)
        : m_memoryLimit(memoryLimit) {}

    bool Set(OFile& source, OOffset offset, OOffset length, const std::string& tempDir);
    OOffset Length() const { return m_store ? m_store->Length() : 0; }
    bool PasteTo(OFile& target, OOffset offset);
    // The first count bytes of a valid store.
    std::size_t Peek(OByte* buffer, std::size_t count);
    bool IsValid() const { return m_store && m_store->IsValid(); }
    void Clear() { m_store.reset(); }

private:
    std::optional<std::uint64_t> m_memoryLimit;
    std::unique_ptr<OClipStore> m_store;
};

// The longest range copied to the system clipboard as text.
inline constexpr OOffset kMaxClipboardText = (OOffset{1} << 29) - 1;

// Puts [begin, begin + length) of file on the system clipboard as text, up
// to its first zero byte, read as the text pane shows it: code page 437 when
// oem, otherwise Windows-1252.
bool CopyText(OFile& file, OOffset begin, OOffset length, bool oem);
// The system clipboard's text up to its first NUL, as bytes of code page 437
// when oem, otherwise of Windows-1252; a character the page lacks becomes
// '?'. Empty when there is no text or the clipboard cannot be read.
std::optional<std::vector<OByte>> PasteText(bool oem);
