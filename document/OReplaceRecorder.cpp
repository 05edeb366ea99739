#include "document/OReplaceRecorder.h"

#include <algorithm>

namespace {

constexpr std::size_t kMaxRegions = std::size_t{1} << 18;
constexpr std::size_t kRegionsInMemory = 4096;
std::size_t g_maxRegions = kMaxRegions;

} // namespace

std::size_t OReplaceRecorder::MaxRegions() {
    return g_maxRegions;
}

std::size_t OReplaceRecorder::RegionsInMemory() {
    return std::min(g_maxRegions, kRegionsInMemory);
}

void OReplaceRecorder::SetMaxRegionsForTesting(std::size_t count) {
    g_maxRegions = count == 0 ? kMaxRegions : count;
}

OReplaceRecorder::OReplaceRecorder(OUndoHistory& history) : m_history(history) {}

OReplaceRecorder::~OReplaceRecorder() {
    GiveBack();
}

// 1. Past the regions kept in memory, the run turns to records; the batch
//    before them is flushed so that a batch holds one kind only.
// 2. Until the flush, a region's store offsets are its bytes' place in the batch.
void OReplaceRecorder::Add(OOffset before, const OByte* old, std::size_t oldLength,
                           const OByte* now, std::size_t newLength) {
    if (m_failed) return;
    const bool records = m_recordCount > 0 || m_regions.size() >= RegionsInMemory();
    if (records && m_recordCount == 0 && !Flush()) return;
    const std::size_t header = records ? kRecordHeader : 0;
    if (m_batch.capacity() == 0) m_batch.reserve(kBatchBytes);
    if (m_batch.size() + header + oldLength + newLength > kBatchBytes && !Flush()) return;
    m_end = before + static_cast<OOffset>(oldLength);
    if (records) {
        const OOffset fields[] = {before, static_cast<OOffset>(oldLength),
                                  static_cast<OOffset>(newLength)};
        Put(fields, sizeof fields);
        Put(old, oldLength);
        Put(now, newLength);
        ++m_recordCount;
        return;
    }
    OUndoRegion& r = m_regions.emplace_back();
    r.offset = before;
    r.oldLength = static_cast<OOffset>(oldLength);
    r.newLength = static_cast<OOffset>(newLength);
    r.oldAt = static_cast<OOffset>(m_batch.size());
    Put(old, oldLength);
    r.newAt = static_cast<OOffset>(m_batch.size());
    Put(now, newLength);
}

void OReplaceRecorder::Put(const void* data, std::size_t count) {
    const auto* bytes = static_cast<const OByte*>(data);
    m_batch.insert(m_batch.end(), bytes, bytes + count);
}

bool OReplaceRecorder::Flush() {
    if (m_batch.empty()) return true;
    const std::uint64_t bytes = m_batch.size();
    // The steps before may make room; the run's own batches cannot.
    const bool room =
        m_history.MakeRoom(bytes) && m_history.Store().Used() + bytes <= m_history.StoreLimit();
    const OOffset at = room ? m_history.Store().AppendBytes(m_batch.data(), m_batch.size()) : -1;
    if (at < 0) {
        Fail();
        return false;
    }
    (m_recordCount > 0 ? m_records : m_segments).push_back({at, static_cast<OOffset>(bytes)});
    for (std::size_t i = m_unflushed; i < m_regions.size(); ++i) {
        m_regions[i].oldAt += at;
        m_regions[i].newAt += at;
    }
    m_unflushed = m_regions.size();
    m_batch.clear();
    return true;
}

bool OReplaceRecorder::Finish(OUndoStep& step) {
    if (m_failed || !Flush()) return false;
    step.regions = std::move(m_regions);
    step.segments = std::move(m_segments);
    step.records = std::move(m_records);
    step.recordCount = m_recordCount;
    m_regions.clear();
    m_segments.clear();
    m_records.clear();
    m_recordCount = 0;
    m_unflushed = 0;
    return true;
}

void OReplaceRecorder::Fail() {
    m_failed = true;
    GiveBack();
}

void OReplaceRecorder::GiveBack() {
    for (const auto* runs : {&m_segments, &m_records}) {
        for (const OUndoSegment& s : *runs)
            m_history.Store().Release(s.at, s.length);
    }
    m_segments.clear();
    m_records.clear();
    m_recordCount = 0;
    std::vector<OUndoRegion>().swap(m_regions);
    std::vector<OByte>().swap(m_batch);
    m_unflushed = 0;
}
