#pragma once

#include "document/OUndoHistory.h"
#include "platform/OTypes.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Records a replace run as one undo step while it runs. Each replacement's
// old and new bytes gather in one buffer that goes to the store a batch at a
// time: a run of millions of small matches costs a few large writes, not a
// write per match. Regions come in ascending order of their offsets before
// the run and must not overlap. Beyond the first regions the run keeps them
// as records in the store, so that its length has no limit. Only the
// interface thread uses a recorder.
class OReplaceRecorder {
public:
    static constexpr std::size_t kBatchBytes = std::size_t{1} << 20;
    // A record: its offset, old and new length as OOffsets, then the old
    // bytes and the new.
    static constexpr std::size_t kRecordHeader = 3 * sizeof(OOffset);
    // The most regions undone or redone in one pass of the file (about
    // 12 MiB of them in memory while it runs).
    static std::size_t MaxRegions();
    // The regions a run holds in memory before records.
    static std::size_t RegionsInMemory();
    // Sets that number (0 restores the normal one).
    static void SetMaxRegionsForTesting(std::size_t count);

    explicit OReplaceRecorder(OUndoHistory& history);
    // Gives back what a run not finished kept.
    ~OReplaceRecorder();
    OReplaceRecorder(const OReplaceRecorder&) = delete;
    OReplaceRecorder& operator=(const OReplaceRecorder&) = delete;

    // One replacement; from the first that cannot be kept (no room in the
    // store's limit, or a failure, shown) the recorder has failed and keeps
    // nothing more.
    void Add(OOffset before, const OByte* old, std::size_t oldLength, const OByte* now,
             std::size_t newLength);
    bool Failed() const { return m_failed; }
    std::uint64_t Count() const { return m_regions.size() + m_recordCount; }
    // Where the last region ended before the run; 0 for none.
    OOffset End() const { return m_end; }
    // Moves the regions and the store segments holding their bytes into
    // step; false (everything given back) when the recorder failed.
    bool Finish(OUndoStep& step);

private:
    bool Flush();
    void Fail();
    void GiveBack();
    void Put(const void* data, std::size_t count);

    OUndoHistory& m_history;
    std::vector<OByte> m_batch;
    std::vector<OUndoRegion> m_regions;
    std::vector<OUndoSegment> m_segments;
    std::vector<OUndoSegment> m_records;
    std::uint64_t m_recordCount = 0;
    std::size_t m_unflushed = 0; // the first region whose bytes are in the batch
    OOffset m_end = 0;
    bool m_failed = false;
};
