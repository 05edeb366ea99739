#pragma once

#include "platform/OTypes.h"

#include <array>
#include <cstddef>

class OFile;

// What a view sees of a file while a replace holds part of its result in
// memory or has moved part of the tail: the file itself up to a seam, then
// up to three pieces, each from memory or from the file at another offset.
class OViewMap {
public:
    // Only the file itself, size bytes of it.
    void Identity(OOffset size);
    // The file up to seam; the pieces added next follow it.
    void Start(OOffset seam);
    void AddMemory(const OByte* data, OOffset length);
    void AddFile(OOffset offset, OOffset length);

    OOffset Length() const;
    // -1 when [offset, offset + count) lies before the seam, where the file
    // reads as itself; otherwise the bytes delivered from offset on (fewer
    // than count at the end or after a failed read).
    std::ptrdiff_t Read(OFile& file, OOffset offset, OByte* out, std::size_t count) const;

private:
    struct Piece {
        OOffset length = 0;
        const OByte* memory = nullptr; // null: from the file at fileOffset
        OOffset fileOffset = 0;
    };

    OOffset m_seam = 0;
    std::array<Piece, 3> m_pieces{};
    int m_count = 0;
};
