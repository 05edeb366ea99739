#pragma once

#include "platform/OTypes.h"

#include <cstddef>
#include <map>

// Typed overwrites not yet written: offset -> (byte as it was when first
// overwritten, byte typed last), in ascending order of offset.
class OPendingMap {
public:
    struct Change {
        OByte oldByte;
        OByte newByte;
    };
    using Map = std::map<OOffset, Change>;

public: // editing
    // Keeps the first old byte when the offset is overwritten again.
    void Set(OOffset offset, OByte oldByte, OByte newByte);
    bool Erase(OOffset offset);
    void Clear() { m_changes.clear(); }

public: // queries
    bool Empty() const { return m_changes.empty(); }
    std::size_t Size() const { return m_changes.size(); }
    bool Contains(OOffset offset) const { return m_changes.count(offset) != 0; }
    const Change* Find(OOffset offset) const;
    bool AnyIn(OOffset begin, OOffset end) const; // [begin, end)
    // Copies the new bytes of changes in [offset, offset + count) over buffer.
    // Cost is a lookup plus the changes inside the range, not the map's size.
    void Overlay(OOffset offset, OByte* buffer, std::size_t count) const;

    // The first change at or after offset.
    Map::const_iterator LowerBound(OOffset offset) const { return m_changes.lower_bound(offset); }
    Map::const_iterator begin() const { return m_changes.begin(); }
    Map::const_iterator end() const { return m_changes.end(); }
    Map::iterator EraseAt(Map::const_iterator it) { return m_changes.erase(it); }

private:
    Map m_changes;
};
