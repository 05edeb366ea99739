#include "document/OReplaceRecorder.h"

namespace {

constexpr std::size_t kMaxRegions = std::size_t{1} << 18;
std::size_t g_maxRegions = kMaxRegions;

} // namespace

std::size_t OReplaceRecorder::MaxRegions() {
    return g_maxRegions;
}

void OReplaceRecorder::SetMaxRegionsForTesting(std::size_t count) {
    g_maxRegions = count == 0 ? kMaxRegions : count;
}

OReplaceRecorder::OReplaceRecorder(OUndoHistory& history) : m_history(history) {}

OReplaceRecorder::~OReplaceRecorder() {
    GiveBack();
}

void OReplaceRecorder::Add(OOffset before, const OByte* old, std::size_t oldLength,
                           const OByte* now, std::size_t newLength) {
    if (m_failed) return;
    if (m_regions.size() >= g_maxRegions) {
        m_failed = true;
        GiveBack();
        return;
    }
    if (m_batch.capacity() == 0) m_batch.reserve(kBatchBytes);
    if (m_batch.size() + oldLength + newLength > kBatchBytes && !Flush()) return;
    // Until the flush, a region's store offsets are its bytes' place in the batch.
    OUndoRegion& r = m_regions.emplace_back();
    r.offset = before;
    r.oldLength = static_cast<OOffset>(oldLength);
    r.newLength = static_cast<OOffset>(newLength);
    r.oldAt = static_cast<OOffset>(m_batch.size());
    m_batch.insert(m_batch.end(), old, old + oldLength);
    r.newAt = static_cast<OOffset>(m_batch.size());
    m_batch.insert(m_batch.end(), now, now + newLength);
}

bool OReplaceRecorder::Flush() {
    if (m_batch.empty()) return true;
    const std::uint64_t bytes = m_batch.size();
    // The steps before may make room; the run's own batches cannot.
    const bool room =
        m_history.MakeRoom(bytes) && m_history.Store().Used() + bytes <= m_history.StoreLimit();
    const OOffset at = room ? m_history.Store().AppendBytes(m_batch.data(), m_batch.size()) : -1;
    if (at < 0) {
        m_failed = true;
        GiveBack();
        return false;
    }
    m_segments.push_back({at, static_cast<OOffset>(bytes)});
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
    m_regions.clear();
    m_segments.clear();
    m_unflushed = 0;
    return true;
}

void OReplaceRecorder::GiveBack() {
    for (const OUndoSegment& s : m_segments)
        m_history.Store().Release(s.at, s.length);
    m_segments.clear();
    std::vector<OUndoRegion>().swap(m_regions);
    std::vector<OByte>().swap(m_batch);
    m_unflushed = 0;
}
