#pragma once

#include "document/OFile.h"

#include <vector>

// The whole content in memory: a new, unnamed document. Saving writes the
// content out as a whole.
class OMemFile : public OFile {
public:
    explicit OMemFile(OFileIo& io = OFileIo::System()) : OFile(io) {}

    void Touched() override;
    bool Reserve(OOffset size) override;
    bool QuerySize(OOffset& size) override {
        size = static_cast<OOffset>(m_data.size());
        return true;
    }
    bool SetSize(OOffset size) override;
    // Loads a whole file; asks first when it is 64 MB or more.
    bool Open(const std::string& path, OAccess access, ODisposition disposition) override;
    std::size_t Read(OByte* buffer, std::size_t count) override;
    bool Commit() override;
    bool Seek(OOffset offset) override;
    std::size_t Write(const OByte* buffer, std::size_t count) override;

    const std::vector<OByte>& Data() const { return m_data; }
    bool HasUnsavedContent() const override { return m_unsaved; }

protected:
    bool ReopenForWrite() override;

private:
    bool GrowCapacity(OOffset size);
    bool WriteOut(const std::string& path);

    std::vector<OByte> m_data;
    OOffset m_position = 0;
    bool m_unsaved = false;
};
