#pragma once

#include "document/ODiskFile.h"
#include "document/OStoreCopy.h"
#include "platform/OTypes.h"

#include <cstdint>
#include <memory>
#include <string>

// Where a document keeps the bytes its changes removed or overwrote: one
// temporary file, 0600 and without a name where the file system allows it,
// made in tempDir at the first segment. Segments are appended at increasing
// offsets; a released segment's space goes back to the file system at once
// (a hole punched, the newest cut off, or the file closed once no segment
// is left, a new one taking the next), so the disk use stays within the
// segments held. Every failure is shown where
// it happens. Only the interface thread uses a store.
class OUndoStore {
public:
    // tempDir empty: the system's temporary directory.
    explicit OUndoStore(std::string tempDir);
    ~OUndoStore();
    OUndoStore(const OUndoStore&) = delete;
    OUndoStore& operator=(const OUndoStore&) = delete;

    // Copies [offset, offset + length) of source (pending bytes included) to
    // a new segment and returns where it lies in the store; -1 after a
    // failure or Cancel, which leave the store as it was.
    OOffset Append(OFile& source, OOffset offset, OOffset length);
    // The same on a thread of its own, for a source that is a disk file
    // without pending bytes there: the segment is taken at once (at) and
    // filled while the caller goes on; the copy's failure is the caller's
    // to handle (OStoreCopy::Finish). Null where this way cannot be used, at then -1
    // after a store that could not be made (shown): Append would meet it too.
    std::unique_ptr<OStoreCopy> AppendInBackground(OFile& source, OOffset offset, OOffset length,
                                                   OOffset& at);
    // The same for count bytes of memory.
    OOffset AppendBytes(const OByte* data, std::size_t count);
    // Reads count bytes of the segment at at; false after a failure (shown).
    bool ReadBytes(OOffset at, OByte* out, std::size_t count);
    // Writes length bytes of the segment at at over target at offset.
    bool CopyTo(OOffset at, OOffset length, OFile& target, OOffset offset);
    // The segment's bytes are no longer needed.
    void Release(OOffset at, OOffset length);

    // The bytes of the segments held.
    std::uint64_t Used() const { return m_used; }
    // What the temporary file takes on disk (its allocated blocks).
    std::uint64_t DiskUsage() const;

    // New stores take the way used where the file system cannot make files
    // without a name (a named file, removed at once).
    static void SetNoUnnamedFilesForTesting(bool on);
    // Makes new stores behave as on a file system that cannot punch holes.
    static void SetNoHolesForTesting(bool on);
    // Makes every copy go through the transfer buffer, as where the kernel
    // cannot copy between the two files.
    static void SetNoKernelCopyForTesting(bool on);

private:
    bool Open();
    void Discard();

    std::string m_tempDir;
    std::unique_ptr<ODiskFile> m_file;
    int m_fd = -1; // a second handle on the file, for punching holes
    OOffset m_end = 0;
    std::uint64_t m_used = 0;
    bool m_holes = true;
};

// A quarter of the space free to unprivileged users on dir's file system
// (tempDir as above), at most 16 GiB; 0 when it cannot be read.
std::uint64_t DefaultUndoStoreLimit(const std::string& tempDir);
