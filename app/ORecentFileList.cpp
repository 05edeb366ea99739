#include "app/ORecentFileList.h"

#include "platform/OFormat.h"

#include <algorithm>

void ORecentFileList::Add(const std::string& path) {
    if (path.empty() || m_size <= 0) return;
    std::erase(m_entries, path);
    m_entries.insert(m_entries.begin(), path);
    if (m_entries.size() > static_cast<std::size_t>(m_size)) m_entries.resize(m_size);
}

void ORecentFileList::Remove(std::size_t index) {
    if (index < m_entries.size()) m_entries.erase(m_entries.begin() + static_cast<long>(index));
}

void ORecentFileList::Read(const OIniFile& ini) {
    m_entries.clear();
    for (int i = 1; i <= m_size; ++i) {
        std::string path = ini.GetString(kSection, Format(kEntryFormat, i));
        if (!path.empty() && std::find(m_entries.begin(), m_entries.end(), path) == m_entries.end())
            m_entries.push_back(std::move(path));
    }
}

void ORecentFileList::Write(OIniFile& ini) const {
    ini.DeleteSection(kSection);
    for (std::size_t i = 0; i < m_entries.size(); ++i)
        ini.WriteString(kSection, Format(kEntryFormat, static_cast<int>(i + 1)), m_entries[i]);
}

std::string ORecentFileList::MenuText(std::size_t index, std::size_t maxLength) const {
    if (index >= m_entries.size()) return {};
    std::string shown = m_entries[index];
    if (shown.size() > maxLength) {
        // Keep the file name and as many trailing directories as fit.
        const auto nameStart = shown.find_last_of('/');
        std::string tail = nameStart == std::string::npos ? shown : shown.substr(nameStart);
        auto cut = nameStart;
        while (cut != std::string::npos && cut > 0) {
            const auto previous = shown.find_last_of('/', cut - 1);
            if (previous == std::string::npos) break;
            if (shown.size() - previous + 3 > maxLength) break;
            cut = previous;
        }
        shown = "..." + (cut == std::string::npos ? tail : shown.substr(cut));
    }
    std::string escaped;
    for (char c : shown) {
        if (c == '&') escaped += '&';
        escaped += c;
    }
    return Format("&%d %s", static_cast<int>(index + 1), escaped.c_str());
}
