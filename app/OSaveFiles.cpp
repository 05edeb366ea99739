#include "app/OSaveFiles.h"

#include "app/OProfile.h"
#include "platform/OFormat.h"
#include "platform/OParseNumber.h"

#include <algorithm>
#include <cerrno>
#include <string_view>
#include <unistd.h>

namespace {

std::string SectionName(int index) {
    return Format("Save%d", index);
}

std::string StoredOffset(OOffset value) {
    if (value < 0) return Format("-0x%llX", 0 - static_cast<unsigned long long>(value));
    return Format("0x%llX", static_cast<unsigned long long>(value));
}

// The file format cannot hold line breaks or NULs in a value and trims blanks
// at its ends; a name it would change could later restore onto another file.
bool Storable(std::string_view name) {
    if (name.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos) return false;
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    return !name.empty() && !blank(name.front()) && !blank(name.back());
}

// A damaged setting must not turn one read into thousands of lookups.
int Limit(int count) {
    return std::min(count, OSaveFiles::kMaxCount);
}

} // namespace

std::vector<OSaveFiles::Entry>::iterator OSaveFiles::Find(const std::string& path) {
    return std::find_if(m_entries.begin(), m_entries.end(),
                        [&](const Entry& entry) { return entry.fileName == path; });
}

void OSaveFiles::LoadSaveFiles(const OIniFile& sav, const OViewSettings& current, int count) {
    if (count < 1) return;
    m_entries.clear();
    for (int i = 0; i < Limit(count); ++i) {
        const std::string section = SectionName(i);
        Entry entry;
        entry.fileName = sav.GetString(section, "Filename");
        entry.fileLength = ParseStoredOffset(sav.GetString(section, "Filelength"));
        if (entry.fileName.empty() || entry.fileLength <= 0) continue;
        // Sections are written most recent first, so the first one is the state to keep.
        if (Find(entry.fileName) != m_entries.end()) continue;
        entry.viewState = current;
        OProfile::LoadFileState(sav, section, entry.viewState);
        // A top before the file start is how a phase is stored; the view
        // brings any stored position inside the file when it lays out.
        // No font can be made from an empty name.
        if (entry.viewState.fontName.empty()) entry.viewState.fontName = current.fontName;
        OProfile::ReadMarkers(sav, section, entry.markers);
        m_entries.push_back(std::move(entry));
    }
}

void OSaveFiles::StoreState(const std::string& path, OOffset fileLength,
                            const OViewSettings& viewState, std::vector<std::string> markers,
                            int count) {
    if (count < 1 || path.empty()) return;
    if (auto it = Find(path); it != m_entries.end()) m_entries.erase(it);
    // The limit may have shrunk since the list was filled.
    const auto keep = static_cast<std::size_t>(Limit(count) - 1);
    if (m_entries.size() > keep) m_entries.resize(keep);
    m_entries.insert(m_entries.begin(), Entry{fileLength, path, viewState, std::move(markers)});
}

const OSaveFiles::Entry* OSaveFiles::RestoreState(const std::string& path, int count) {
    if (count < 1) return nullptr;
    const auto it = Find(path);
    if (it == m_entries.end()) return nullptr;
    std::rotate(m_entries.begin(), it, it + 1);
    return &m_entries.front();
}

bool OSaveFiles::WriteSaveFiles(OIniFile& sav, int count) {
    if (count < 1) return true;
    sav.Parse({});
    bool any = false;
    const int n = std::min(static_cast<int>(m_entries.size()), Limit(count));
    for (int i = 0; i < n; ++i) {
        const Entry& entry = m_entries[i];
        if (entry.fileLength <= 0 || !Storable(entry.fileName)) continue;
        const std::string section = SectionName(i);
        sav.WriteString(section, "Filename", entry.fileName);
        sav.WriteString(section, "Filelength", StoredOffset(entry.fileLength));
        OProfile::SaveFileState(sav, section, entry.viewState);
        OProfile::WriteMarkers(sav, section, entry.markers);
        any = true;
    }
    if (any) return sav.Flush();
    // Nothing to keep: an empty content would not count as a change to flush.
    return ::unlink(sav.Path().c_str()) == 0 || errno == ENOENT;
}
