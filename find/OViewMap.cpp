#include "find/OViewMap.h"

#include "document/OFile.h"

#include <algorithm>
#include <cstring>

void OViewMap::Identity(OOffset size) {
    m_seam = size;
    m_count = 0;
}

void OViewMap::Start(OOffset seam) {
    m_seam = seam;
    m_count = 0;
}

void OViewMap::AddMemory(const OByte* data, OOffset length) {
    if (length > 0 && m_count < static_cast<int>(m_pieces.size()))
        m_pieces[static_cast<std::size_t>(m_count++)] = {length, data, 0};
}

void OViewMap::AddFile(OOffset offset, OOffset length) {
    if (length > 0 && m_count < static_cast<int>(m_pieces.size()))
        m_pieces[static_cast<std::size_t>(m_count++)] = {length, nullptr, offset};
}

OOffset OViewMap::Length() const {
    OOffset length = m_seam;
    for (int k = 0; k < m_count; ++k)
        length += m_pieces[static_cast<std::size_t>(k)].length;
    return length;
}

std::ptrdiff_t OViewMap::Read(OFile& file, OOffset offset, OByte* out, std::size_t count) const {
    if (offset < 0 || count == 0) return -1;
    // The distance test keeps offset + count from overflowing near 2^63.
    const OOffset end = count > static_cast<std::uint64_t>(kOffsetMax - offset)
                            ? kOffsetMax
                            : offset + static_cast<OOffset>(count);
    if (end <= m_seam) return -1;
    std::size_t done = 0;
    OOffset position = offset;
    if (position < m_seam) {
        const auto want = static_cast<std::size_t>(m_seam - position);
        const std::size_t got = file.ReadAt(position, out, want);
        if (got < want) return static_cast<std::ptrdiff_t>(got);
        done = want;
        position = m_seam;
    }
    OOffset pieceBegin = m_seam;
    for (int k = 0; k < m_count && position < end; ++k) {
        const Piece& piece = m_pieces[static_cast<std::size_t>(k)];
        const OOffset pieceEnd = pieceBegin + piece.length;
        if (position < pieceEnd) {
            const OOffset inside = position - pieceBegin;
            const auto take = static_cast<std::size_t>(std::min(end, pieceEnd) - position);
            if (piece.memory) {
                std::memcpy(out + done, piece.memory + inside, take);
            } else {
                const std::size_t got = file.ReadAt(piece.fileOffset + inside, out + done, take);
                if (got < take) return static_cast<std::ptrdiff_t>(done + got);
            }
            done += take;
            position += static_cast<OOffset>(take);
        }
        pieceBegin = pieceEnd;
    }
    return static_cast<std::ptrdiff_t>(done);
}
