#include "document/OPendingMap.h"

void OPendingMap::Set(OOffset offset, OByte oldByte, OByte newByte) {
    auto [it, inserted] = m_changes.try_emplace(offset, Change{oldByte, newByte});
    if (!inserted) it->second.newByte = newByte;
}

bool OPendingMap::Erase(OOffset offset) {
    return m_changes.erase(offset) != 0;
}

const OPendingMap::Change* OPendingMap::Find(OOffset offset) const {
    auto it = m_changes.find(offset);
    return it == m_changes.end() ? nullptr : &it->second;
}

bool OPendingMap::AnyIn(OOffset begin, OOffset end) const {
    auto it = m_changes.lower_bound(begin);
    return it != m_changes.end() && it->first < end;
}

void OPendingMap::Overlay(OOffset offset, OByte* buffer, std::size_t count) const {
    if (count == 0 || m_changes.empty()) return;
    // Compare as distances from offset: offset + count may not be representable.
    for (auto it = m_changes.lower_bound(offset); it != m_changes.end(); ++it) {
        const auto distance = static_cast<std::uint64_t>(it->first - offset);
        if (distance >= count) break;
        buffer[distance] = it->second.newByte;
    }
}
