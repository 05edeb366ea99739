#pragma once

#include "document/OTransferBuffer.h"
#include "find/OPattern.h"
#include "find/OViewMap.h"
#include "platform/OTypes.h"

#include <cstddef>
#include <cstdint>

class OFile;
struct OMoveStep;

// The block of a file a search looks through, kept between commands: a
// fresh 16 MiB block costs about 40 ms in page faults, and F3 reuses the
// one held. It knows which file, generation and window it holds, so it is
// never served after the file changed underneath. In a replace run it also
// holds replacements not yet written, and maps what the views see
// meanwhile (the document's search forwards its reads here). Failures are
// shown where they happen; a false return has said why.
class OSearchBuffer {
public:
    // The block's size follows the use: a find stops early, a count reads
    // through, a replace holds its replacements.
    enum class Mode { Find, Replace, Count };

public: // the block
    // A block for the mode, the one held when large enough. False after
    // "Out of memory".
    bool Request(Mode mode);
    // Gives the block back (it stays kept process-wide): counts and
    // replaces take much more than a find needs.
    void Release();
    // The block holds [from, to) of this file as it is now.
    bool Holds(const OFile& file, OOffset from, OOffset to) const;
    // Loads the block with the file from offset, up to end at most. In a
    // replace the replacements held are written first. A failed read is an
    // error, never the end of the file.
    bool Load(OFile& file, OOffset offset, OOffset end);
    // The next use loads again.
    void Invalidate() { m_invalid = true; }

    OByte* Data() const { return m_block.Data(); }
    // What the block can hold; Length() what it holds, from Offset() on.
    std::size_t Size() const { return m_block.Size(); }
    OOffset Offset() const { return m_offset; }
    std::size_t Length() const { return m_length; }
    // The file ended inside the last load.
    bool Short() const { return m_short; }
    // Replace All's passes move at most this much at a time.
    std::size_t PassBlock() const;
    // A changed guard means something wrote past the block: its bytes are
    // not to be trusted and are dropped, with "Extra memory error".
    bool CheckGuard();

public: // the replacements of a replace run
    // The run starts: the views read through the buffer until Detach. False
    // when the file's size cannot be read.
    bool Attach(OFile& file);
    void Detach() { m_attached = false; }
    // The file's size as the replace run last took it.
    OOffset FileSize() const { return m_fileSize; }
    // False, with "Operation aborted", and the replacements dropped, when
    // the file changed since the load (another view while a question was open).
    bool CheckFile(const OFile& file);
    // The match of patternLength bytes at index becomes the replacement;
    // its wildcards keep the file's bytes at the same positions.
    bool Replace(OFile& file, std::size_t index, int patternLength, const OPattern& replacement);
    // The replacements held go to the file; the block then holds nothing.
    bool WriteBack(OFile& file);

    // What Replace All's passes take over: the result's bytes [at, at +
    // length) at bytes (inside the block, until the block is used again);
    // the file's bytes from input on are not yet searched.
    struct Pending {
        OOffset at = 0;
        const OByte* bytes = nullptr;
        std::size_t length = 0;
        OOffset input = 0;
    };
    // The window ends at end (an index behind a replacement); the rest is
    // input. False when the replacements cannot go to the file; the block
    // is the passes' work space afterwards.
    bool HandOver(OFile& file, std::size_t end, Pending& pending);

public: // writing the file with the views mapped
    // [at, at + oldLength) becomes bytes: every match holds its old or its
    // new bytes whatever write fails.
    bool WriteRegion(OFile& file, OOffset at, OOffset oldLength, const OByte* bytes,
                     std::size_t length);
    // The file up to to, then [from, end) moved down behind it and the file
    // cut where that ends; runs on through Cancel.
    bool CloseGap(OFile& file, OOffset to, OOffset from, OOffset end);
    // The views: the file up to at, then length bytes at bytes, then the
    // file's [input, end).
    void MapBytes(OOffset at, const OByte* bytes, OOffset length, OOffset input, OOffset end);
    // The views during a tail move up: bytes at at, the file up to where the
    // move stands, and above it the tail already moved.
    void MapTailMove(OOffset at, const OByte* bytes, OOffset length, const OMoveStep& step,
                     OOffset moved);
    // The views during a forward pass: the file up to write, then [read, end).
    void MapStream(OOffset write, OOffset read, OOffset end);

public: // the document's reads
    bool Attached() const { return m_attached; }
    OOffset ViewLength(OFile& file) const;
    std::ptrdiff_t ReadThrough(OFile& file, OOffset offset, OByte* out, std::size_t count) const;

public: // tests
    // Caps the block, so small files still cross many blocks (at least 256
    // bytes stay).
    static void SetLimitForTesting(std::size_t bytes);
    void DamageGuardForTesting() { m_block.DamageGuardForTesting(); }

private:
    bool TakeReplacements(OFile& file);
    void MapWindow();

    OTransferBuffer m_block;
    Mode m_mode = Mode::Find;
    const OFile* m_file = nullptr;  // the file the block was loaded from
    std::uint64_t m_generation = 0; // of that file at the load
    bool m_invalid = true;
    bool m_short = false;
    OOffset m_offset = 0;
    std::size_t m_length = 0;
    std::size_t m_lengthAtLoad = 0; // of the file's bytes the window stands for
    bool m_dirty = false;           // replacements from m_firstChanged on
    std::size_t m_firstChanged = 0;
    OOffset m_fileSize = 0;
    bool m_attached = false;
    OViewMap m_view;
};
