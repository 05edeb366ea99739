#pragma once

#include "document/OPendingMap.h"
#include "platform/OFileIo.h"
#include "platform/OTypes.h"

#include <cstddef>
#include <functional>
#include <string>

enum class OAccess { Read, ReadWrite };
enum class ODisposition { OpenExisting, CreateAlways };

// What a file tells the document that owns it.
class OFileOwner {
public:
    virtual void SetModifiedFlag(bool modified) = 0;
    // A memory document was saved under a name.
    virtual void SetPathName(const std::string& path) = 0;

protected:
    ~OFileOwner() = default;
};

// The file behind one document, read and written at signed 64-bit offsets.
// Typed single-byte overwrites stay pending in memory until committed;
// structural edits write through at once. Failures are reported to the user
// where they happen (a message box) and returned as false or a count of 0;
// callers stop without a second message. LastError() tells why.
// Holds back writes over bytes that another thread has still to read: a
// change's bytes on their way to the undo store.
class OWriteFence {
public:
    // Returns once [offset, end) of the file may change.
    virtual void Wait(OOffset offset, OOffset end) = 0;

protected:
    ~OWriteFence() = default;
};

class OFile {
public:
    // Makes the backup before the first change; false when it failed.
    using BackupHook = std::function<bool(OFile&)>;

    explicit OFile(OFileIo& io) : m_io(io) {}
    OFile(const OFile&) = delete;
    OFile& operator=(const OFile&) = delete;
    virtual ~OFile() = default;

public: // the variant's operations
    // The bytes changed: advances Generation(), which caches (the search
    // buffer, painted rows) compare against.
    virtual void Touched();
    // Makes room for a file of size bytes before an edit enlarges it.
    virtual bool Reserve(OOffset size) = 0;
    // Physical size without pending bytes; 0 (with a message) when unknown.
    virtual OOffset GetSize();
    // The same without a word: false (LastError() set) when unknown.
    virtual bool QuerySize(OOffset& size) = 0;
    virtual void Sync() {}
    virtual bool SetSize(OOffset size) = 0;
    // The size cannot change (a block device).
    virtual bool FixedSize() const { return false; }
    // path names the same file (device and inode) as this open one.
    virtual bool IsSameFile(const std::string&) const { return false; }
    // Content changed since it was last saved, apart from pending bytes: a
    // memory document's settled bytes (a disk file's changes are on disk).
    virtual bool HasUnsavedContent() const { return false; }
    virtual bool Open(const std::string& path, OAccess access, ODisposition disposition) = 0;
    // Reads at the current position; fewer bytes at the end of the file, 0
    // on failure. LastError() is 0 unless the read failed.
    virtual std::size_t Read(OByte* buffer, std::size_t count) = 0;
    // Saves: the pending changes, or for a memory document the whole content.
    virtual bool Commit() = 0;
    virtual bool Seek(OOffset offset) = 0;
    // Writes at the current position; returns the bytes written, fewer (or 0)
    // on failure with LastError() set (ENOSPC for a full disk).
    virtual std::size_t Write(const OByte* buffer, std::size_t count) = 0;

public: // shared operations
    // Before the first change: the backup, then reopening for writing.
    bool EnsureWritable();
    // Reads count bytes at offset with the pending changes laid over them.
    // Returns fewer than count only at the logical end of the file or on a
    // read failure (LastError() set); never returns bytes past the logical
    // end. A gap between the physical end and a typed byte reads as zeros;
    // a failed read never reaches past the bytes it got.
    std::size_t ReadAt(OOffset offset, OByte* buffer, std::size_t count);
    // Writes through to the file, growing it first when needed.
    std::size_t WriteAt(OOffset offset, const OByte* buffer, std::size_t count);
    // WriteAt that asks "Disk full. Try again ?" on a full disk and reports
    // any other failure; true when every byte was written.
    bool WriteAllAt(OOffset offset, const OByte* buffer, std::size_t count);

    bool IsChanged(OOffset offset) const { return m_pending.Contains(offset); }
    bool HasPending() const { return !m_pending.Empty(); }
    bool SetByte(OOffset offset, OByte oldByte, OByte newByte);
    bool UndoByte(OOffset offset);
    // Writes the pending changes in ascending order; returns how many were
    // written, 0 when there was nothing to write or a write failed. After a
    // failure the changes not yet written stay pending.
    std::size_t CommitPending();
    void DiscardPending();
    // Size including pending bytes typed at or past the physical end.
    OOffset LogicalSize();
    // GetSize that tells an unknown size apart: it reads as 0, and growing
    // or cutting a file "to" it would destroy data. False after the message.
    bool TryGetSize(OOffset& size);
    // LogicalSize without a message box, for painting: false, with
    // LastError() set and size 0, when the size cannot be read.
    bool QuietLogicalSize(OOffset& size);
    // "path: error text" in a message box; code -1 means LastError(). False.
    bool ShowFileError(int code) const;

public: // queries and wiring
    const std::string& Path() const { return m_path; }
    bool IsWritable() const { return m_writable; }
    bool IsOpen() const { return m_fd >= 0; }
    const OPendingMap& Pending() const { return m_pending; }
    // Changes whenever the content may have changed, so caches can tell.
    std::uint64_t Generation() const { return m_generation; }
    OFileOwner* Owner() const { return m_owner; }
    // Every write and every cut waits on fence first; null for none.
    void SetFence(OWriteFence* fence) { m_fence = fence; }
    void SetOwner(OFileOwner* owner) { m_owner = owner; }
    void SetBackupHook(BackupHook hook) { m_backup = std::move(hook); }

protected:
    // Turns the open handle into a writable one; false after a message.
    virtual bool ReopenForWrite() = 0;
    void NoteChanged() { ++m_generation; }

    OFileIo& m_io;
    OPendingMap m_pending;
    OOffset m_baseSize = -1;
    OOffset m_logicalSize = -1;
    std::string m_path;
    int m_fd = -1;
    bool m_writable = false;
    OFileOwner* m_owner = nullptr;
    BackupHook m_backup;
    bool m_backedUp = false; // the backup before the first change was made
    std::uint64_t m_generation = 0;
    OWriteFence* m_fence = nullptr;
};
