#pragma once

#include "doc/OFile.h"

// A file on disk of any size, never loaded: every read and write goes to the
// file at its offset. Opened read-only; reopened for writing on the first
// change. Other programs may keep the same file open, also for writing.
class ODiskFile : public OFile {
public:
    explicit ODiskFile(OFileIo& io = OFileIo::System()) : OFile(io) {}
    ~ODiskFile() override;

    bool Reserve(OOffset size) override;
    OOffset GetSize() override;
    bool SetSize(OOffset size) override;
    bool Open(const std::string& path, OAccess access, ODisposition disposition) override;
    std::size_t Read(OByte* buffer, std::size_t count) override;
    bool Commit() override;
    bool Seek(OOffset offset) override;
    std::size_t Write(const OByte* buffer, std::size_t count) override;

    void Close();

protected:
    bool ReopenForWrite() override;

private:
    OOffset m_position = 0;
    bool m_isDevice = false;
};
