#pragma once

#include "document/OMoveExecutor.h"
#include "document/OMovePlan.h"
#include "platform/OTypes.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>

class OFile;
class OFileIo;

// A small file that lets a structural change that was killed half way be
// finished on the next open. One journal per file being changed, in the
// state directory, named after the file's device, inode and a hash of its
// absolute path (the path itself is stored inside).
//
// Contents: a header with the file's identity, the plan and the zeros the
// change writes after its moves (an insert's gap), fsync'ed with its
// directory before the first byte of the file changes; then one checkpoint
// per block, written before the block's write (none between two steps:
// nothing lands until the next step's first block). Checkpoints go to two slots
// in turn, each with its own checksum, so the last whole one survives a torn
// write; the header has one too. A journal whose checksums, version or
// identity do not match is refused, never applied.
//
// Redo rule: a checkpoint (step, moved) says that the step's first `moved`
// bytes, counted in its direction, have landed and that every byte of the
// rest of its source is still in place. Only the write of the block after
// it can break that, and only when the block is longer than the distance d
// between source and target (a shrink moves down, first block first; a
// grow moves up, last block first): the write then lands on count - d
// bytes of its own source, those nearest the step's progress (a shrink's
// block start, a grow's block end). Those bytes go to a stash slot first
// and the checkpoint names the slot. Finishing copies the stash to its
// target, after which those count - d bytes have landed and the rest of the
// source is untouched again, and runs the step on from there. Two stash
// slots at fixed offsets are used in turn, so the slot a checkpoint names is
// never the one being written; they stay small and hot in the page cache.
//
// Nothing is fsync'ed after the header: a killed process leaves its writes
// in the page cache, in the order it made them, and that is all a kill
// needs. Power loss is not covered: the kernel may write the file's blocks
// and the checkpoints back in any order, so after a power loss a journal
// can disagree with the file; it is then offered like any other, and
// finishing it may not give the intended bytes.
class OMoveJournal final : public OMoveLog {
public:
    static constexpr std::uint32_t kVersion = 1;

    struct Identity {
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        std::string path; // absolute
    };
    // The zeros written after the moves (an insert's gap); length 0: none.
    struct Fill {
        OOffset offset = 0;
        OOffset length = 0;
    };
    // The last checkpoint: steps before `step` are done; of step `step`,
    // `moved` bytes have landed, and when stashLength > 0 the next
    // stashLength bytes wait in stash slot `slot`.
    struct Checkpoint {
        std::uint64_t sequence = 0;
        std::size_t step = 0;
        OOffset moved = 0;
        int slot = -1;
        OOffset stashLength = 0;
    };
    enum class OLoad { None, Loaded, Damaged, Unreadable };

    ~OMoveJournal(); // closes, never removes: a kill keeps the journal
    OMoveJournal(const OMoveJournal&) = delete;
    OMoveJournal& operator=(const OMoveJournal&) = delete;

    // The journal's name inside the state directory.
    static std::string FileName(const Identity& identity);

    // Writes the header and a first checkpoint under a temporary name, syncs
    // it, gives it its name (never over an existing journal: EEXIST) and
    // syncs the directory. Null with LastError() set on failure; nothing is
    // left behind then.
    static std::unique_ptr<OMoveJournal> Create(OFileIo& io, const std::string& directory,
                                                const Identity& identity, const OMovePlan& plan,
                                                Fill fill);
    // Reads the journal for identity, if there is one. Damaged: a header or
    // both checkpoints fail their checks, or the identity differs.
    static OLoad Load(OFileIo& io, const std::string& directory, const Identity& identity,
                      std::unique_ptr<OMoveJournal>& journal);

public: // the executor's hook, one call per block
    bool Reached(std::size_t step, OOffset moved, std::span<const OByte> block) override;

public: // finishing
    // Reads count bytes of the stash the last checkpoint names, from offset.
    bool ReadStash(OOffset offset, OByte* buffer, std::size_t count);
    // Unlinks the journal; false with LastError() set.
    bool Remove();

public: // queries
    const std::string& Path() const { return m_path; }
    const Identity& File() const { return m_identity; }
    const OMovePlan& Plan() const { return m_plan; }
    Fill ZeroFill() const { return m_fill; }
    const Checkpoint& Last() const { return m_last; }
    // Bytes moved so far and in all, over every step.
    OOffset MovedBytes() const;
    OOffset TotalBytes() const;

private:
    OMoveJournal(OFileIo& io, int fd, std::string path);
    bool WriteCheckpoint(Checkpoint checkpoint);
    bool WriteAll(const void* data, std::size_t count, OOffset offset);

    OFileIo& m_io;
    int m_fd = -1;
    std::string m_path;
    Identity m_identity;
    OMovePlan m_plan;
    Fill m_fill;
    Checkpoint m_last;
    OOffset m_recordsAt = 0;
};

// The identity of the disk file behind file: its device and inode, checked
// to be those of the open handle. False for a memory document, or a path
// that no longer names the open file.
bool JournalIdentity(const OFile& file, OMoveJournal::Identity& identity);

// The journal for a change of file, made before its first write. Null
// without one: a memory document needs none (refused false), and when the
// journal cannot be written the user is asked whether to go on without it
// (refused when not). An unfinished journal of the same file refuses the
// change with a message: it must be finished first.
std::unique_ptr<OMoveJournal> BeginJournal(OFile& file, const OMovePlan& plan,
                                           OMoveJournal::Fill fill, bool& refused);
