#pragma once

#include "document/OFile.h"

// A file on disk of any size, never loaded: every read and write goes to the
// file at its offset. Opened read-only; reopened for writing on the first
// change. Other programs may keep the same file open, also for writing.
class ODiskFile : public OFile {
public:
    explicit ODiskFile(OFileIo& io = OFileIo::System()) : OFile(io) {}
    ~ODiskFile() override;

    bool Reserve(OOffset size) override;
    bool QuerySize(OOffset& size) override;
    bool SetSize(OOffset size) override;
    bool FixedSize() const override { return m_isDevice; }
    bool IsSameFile(const std::string& path) const override;
    bool Open(const std::string& path, OAccess access, ODisposition disposition) override;
    std::size_t Read(OByte* buffer, std::size_t count) override;
    bool Commit() override;
    bool Seek(OOffset offset) override;
    std::size_t Write(const OByte* buffer, std::size_t count) override;

    void Close();
    // Takes over fd, already open on a regular file, showing path in
    // messages: a file made without a usable name (a temporary file).
    // Writable when fd was opened for writing. On failure fd is closed.
    bool Adopt(int fd, std::string path);

protected:
    bool ReopenForWrite() override;

private:
    OOffset m_position = 0;
    bool m_isDevice = false;
};
