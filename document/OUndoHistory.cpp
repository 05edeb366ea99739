#include "document/OUndoHistory.h"

#include "platform/OFormat.h"
#include "platform/OOffsetFormat.h"

#include <algorithm>

namespace {

constexpr std::size_t kMarkersInMemory = 4096;
std::size_t g_markersInMemory = kMarkersInMemory;

std::size_t RangesBytes(const OUndoRanges& r) {
    std::size_t n = r.markers.capacity() * sizeof(ORange);
    for (const ORange& m : r.markers)
        n += m.Title().capacity();
    return n;
}

const char* KindWord(OUndoKind kind) {
    switch (kind) {
    case OUndoKind::Typing:
        return "typing";
    case OUndoKind::Delete:
        return "delete";
    case OUndoKind::Cut:
        return "cut";
    case OUndoKind::Paste:
        return "paste";
    case OUndoKind::PasteHere:
        return "paste here";
    case OUndoKind::Insert:
        return "insert";
    case OUndoKind::Replace:
        return "replace";
    }
    return "";
}

} // namespace

std::size_t OUndoHistory::MarkersInMemory() {
    return g_markersInMemory;
}

void OUndoHistory::SetMarkersInMemoryForTesting(std::size_t count) {
    g_markersInMemory = count == 0 ? kMarkersInMemory : count;
}

std::size_t OUndoStep::MemoryBytes() const {
    return sizeof(OUndoStep) + regions.capacity() * sizeof(OUndoRegion) +
           (segments.capacity() + records.capacity()) * sizeof(OUndoSegment) +
           typed.capacity() * sizeof(OTypedByte) + RangesBytes(before) + RangesBytes(after);
}

std::uint64_t OUndoStep::StoredBytes() const {
    std::uint64_t n = 0;
    for (const OUndoRanges* side : {&before, &after}) {
        if (side->markersAt >= 0) n += static_cast<std::uint64_t>(side->markersLength);
    }
    for (const auto* runs : {&segments, &records}) {
        for (const OUndoSegment& s : *runs)
            n += static_cast<std::uint64_t>(s.length);
    }
    if (!segments.empty()) return n;
    for (const OUndoRegion& r : regions) {
        if (r.oldAt >= 0) n += static_cast<std::uint64_t>(r.oldLength);
        if (r.newAt >= 0) n += static_cast<std::uint64_t>(r.newLength);
    }
    return n;
}

OUndoHistory::OUndoHistory(std::string tempDir, std::uint64_t storeLimit, std::size_t memoryLimit)
    : m_store(std::move(tempDir)), m_storeLimit(storeLimit), m_memoryLimit(memoryLimit) {}

void OUndoHistory::Release(OUndoStep& step) {
    for (const OUndoSegment& s : step.records)
        m_store.Release(s.at, s.length);
    step.records.clear();
    step.recordCount = 0;
    for (const OUndoSegment& s : step.segments)
        m_store.Release(s.at, s.length);
    if (!step.segments.empty()) {
        step.segments.clear();
        for (OUndoRegion& r : step.regions)
            r.oldAt = r.newAt = -1;
    }
    for (OUndoRegion& r : step.regions) {
        if (r.oldAt >= 0) m_store.Release(r.oldAt, r.oldLength);
        if (r.newAt >= 0) m_store.Release(r.newAt, r.newLength);
        r.oldAt = r.newAt = -1;
    }
    for (OUndoRanges* side : {&step.before, &step.after}) {
        if (side->markersAt >= 0) m_store.Release(side->markersAt, side->markersLength);
        side->markersAt = -1;
    }
}

void OUndoHistory::DropOldest() {
    // Once no step can be undone, the redo steps beyond the first are the
    // ones furthest from the document as it is.
    if (m_done == 0) {
        Release(m_steps.back());
        m_memory -= std::min(m_memory, m_steps.back().MemoryBytes());
        m_steps.pop_back();
        return;
    }
    Release(m_steps.front());
    m_memory -= std::min(m_memory, m_steps.front().MemoryBytes());
    m_steps.pop_front();
    --m_done;
}

void OUndoHistory::DropRedo() {
    while (m_steps.size() > m_done) {
        Release(m_steps.back());
        m_memory -= std::min(m_memory, m_steps.back().MemoryBytes());
        m_steps.pop_back();
    }
}

bool OUndoHistory::MakeRoomBelow(std::uint64_t bytes) {
    while (m_done > 1 && m_store.Used() + bytes > m_storeLimit) {
        Release(m_steps.front());
        m_memory -= std::min(m_memory, m_steps.front().MemoryBytes());
        m_steps.pop_front();
        --m_done;
    }
    return m_store.Used() + bytes <= m_storeLimit;
}

void OUndoHistory::DropFromCursor() {
    DropRedo();
}

bool OUndoHistory::MakeRoom(std::uint64_t bytes) {
    if (bytes > m_storeLimit) return false;
    DropRedo();
    while (!m_steps.empty() && m_store.Used() + bytes > m_storeLimit)
        DropOldest();
    return true;
}

void OUndoHistory::Push(OUndoStep step) {
    DropRedo();
    m_memory += step.MemoryBytes();
    m_steps.push_back(std::move(step));
    m_done = m_steps.size();
    Grew(0);
}

void OUndoHistory::Grew(std::size_t bytes) {
    m_memory += bytes;
    // The newest step stays, whatever it holds: it is the one being made.
    while (m_memory > m_memoryLimit && m_steps.size() > 1)
        DropOldest();
}

void OUndoHistory::Clear() {
    m_done = 0;
    DropRedo();
    m_memory = 0;
}

void OUndoHistory::MarkTypingSaved() {
    for (OUndoStep& step : m_steps) {
        if (step.kind == OUndoKind::Typing) step.saved = true;
    }
}

void OUndoHistory::DropPendingTyping() {
    DropRedo();
    while (m_done > 0 && m_steps.back().kind == OUndoKind::Typing && !m_steps.back().saved) {
        m_memory -= std::min(m_memory, m_steps.back().MemoryBytes());
        m_steps.pop_back();
        --m_done;
    }
}

std::string UndoMenuText(const OUndoStep* step, bool redo, OOffset fileLength) {
    const char* verb = redo ? "&Redo" : "&Undo";
    const char* key = redo ? "\tCtrl+Y" : "\tCtrl+Z";
    if (!step) return std::string(verb) + key;
    OOffset offset = 0;
    OOffset count = 0;
    if (step->kind == OUndoKind::Typing) {
        // The bytes typed: each offset once, however often it was typed over
        // (counted exactly for runs short enough to sort at every menu update).
        offset = step->typed.empty() ? 0 : step->typed.front().offset;
        count = static_cast<OOffset>(step->typed.size());
        std::vector<OOffset> offsets;
        if (step->typed.size() <= 4096) {
            offsets.reserve(step->typed.size());
            for (const OTypedByte& t : step->typed)
                offsets.push_back(t.offset);
            std::sort(offsets.begin(), offsets.end());
            count = std::unique(offsets.begin(), offsets.end()) - offsets.begin();
            if (!offsets.empty()) offset = offsets.front();
        }
    } else if (step->kind == OUndoKind::Replace) {
        // A replace run: its matches, however long each.
        offset = step->regions.empty() ? 0 : step->regions.front().offset;
        count = static_cast<OOffset>(step->regions.size() + step->recordCount);
        OffsetFormat format;
        format.SetWidthClass(fileLength);
        return Format("%s replace of %s match%s at 0x%s%s", verb, GroupDigits(count).c_str(),
                      count == 1 ? "" : "es", format.Hex(offset).c_str(), key);
    } else if (!step->regions.empty()) {
        offset = step->regions.front().offset;
        for (const OUndoRegion& r : step->regions)
            count += step->kind == OUndoKind::Delete || step->kind == OUndoKind::Cut ? r.oldLength
                                                                                     : r.newLength;
    }
    OffsetFormat format;
    format.SetWidthClass(fileLength);
    return Format("%s %s of %s byte%s at 0x%s%s", verb, KindWord(step->kind),
                  GroupDigits(count).c_str(), count == 1 ? "" : "s", format.Hex(offset).c_str(),
                  key);
}
