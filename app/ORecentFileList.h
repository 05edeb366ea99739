#pragma once

#include "platform/OIniFile.h"

#include <string>
#include <vector>

// Most recently opened files first, at most Size() of them. Paths compare
// exactly: Linux names are case-sensitive.
class ORecentFileList {
public:
    static constexpr const char* kSection = "Recent list";
    static constexpr const char* kEntryFormat = "File%d";

    explicit ORecentFileList(int size) : m_size(size) {}

    void Add(const std::string& path);
    void Remove(std::size_t index);
    const std::vector<std::string>& Entries() const { return m_entries; }
    int Size() const { return m_size; }

    void Read(const OIniFile& ini);
    void Write(OIniFile& ini) const;
    // The menu text of entry index: "&1 name", the path shortened to
    // maxLength characters by leaving out leading directories.
    std::string MenuText(std::size_t index, std::size_t maxLength = 30) const;

private:
    int m_size;
    std::vector<std::string> m_entries;
};
