#pragma once

#include "platform/OFileIo.h"

#include <cstddef>
#include <string>

// Replaces a file as a whole: the new content goes to a temporary file beside
// the target, is flushed to the disk and then renamed over it, so a crash, a
// full disk or a cancel leaves either the old file or the new one, never a
// mix, and no temporary file behind. Every failure leaves errno set for the
// caller's own message; kErrorNotRegularFile stands for a target that is
// neither a regular file nor a directory (a directory gives EISDIR).
//
// - A symbolic link is followed to its final target, which is replaced; the
//   link stays a link. A dangling link creates the file it names.
// - A replaced file keeps its mode and owner (an owner this user may not give
//   stays the user's, the mode is kept all the same).
// - A target the user may not write is refused (EACCES, EROFS) before
//   anything is written. Root passes every permission check, so a regular
//   file without any write bit is refused for everyone: saving over a file
//   made read-only must not succeed silently. (Not with Mode::Given.)
// - A target with other hard links is written in place (truncated, written,
//   flushed): a rename would leave the other names on the old content. Such
//   a write is not atomic; a failure part-way leaves it cut short.
//
// One use per object: Begin, any Writes (or writes to Fd()), then Commit.
// The destructor aborts what was not committed. Not thread-safe.
class OAtomicFile {
public:
    // Which permissions the written file gets.
    enum class Mode {
        KeepTarget, // a replaced file's own; a new file mode less the umask, as open(2) makes it
        Given,      // exactly mode, also over an existing file of any mode: the program's own files
    };

    explicit OAtomicFile(OFileIo& io = OFileIo::System()) : m_io(io) {}
    ~OAtomicFile() { Abort(); }
    OAtomicFile(const OAtomicFile&) = delete;
    OAtomicFile& operator=(const OAtomicFile&) = delete;

    // Checks the target and opens the file to write; false with errno when
    // the target is refused or nothing could be created.
    bool Begin(const std::string& path, mode_t mode, Mode rule = Mode::KeepTarget);
    // Appends size bytes; on failure aborts (errno set, ENOSPC for a write
    // that made no progress).
    bool Write(const void* data, std::size_t size);
    // The open descriptor, for callers that write through it themselves at
    // offsets from 0; -1 when nothing is open. Stays owned by this object.
    int Fd() const { return m_fd; }
    // Flushes and puts the file in place; on failure aborts, errno set.
    bool Commit();
    // Closes and removes the temporary file; the target stays as it was.
    // Keeps errno, so it may run between a failure and its report.
    void Abort();

private:
    OFileIo& m_io;
    int m_fd = -1;
    std::string m_target; // links followed
    std::string m_temp;   // empty when writing in place
    off_t m_end = 0;
};
