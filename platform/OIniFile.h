#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

// The profile functions over one .ini file: sections of key=value lines.
// Section and key names match without regard to case, as the format always
// has; values are kept as written. The whole file is read once at Load;
// changes stay in memory until Flush, which replaces the file as a whole
// (OAtomicFile): a crash or a full disk never leaves a half-written file, and
// a new file is readable by its owner only. Lines it does not understand are
// kept as they were.
class OIniFile {
public:
    // Files past this size are read only up to it: settings are small, and a
    // huge or binary file must not take the memory.
    static constexpr std::size_t kMaxFileSize = 4 << 20;

    OIniFile() = default;
    explicit OIniFile(std::string path) : m_path(std::move(path)) {}

    const std::string& Path() const { return m_path; }
    // Reads the file; a missing or unreadable one is empty. True when read.
    bool Load();
    // Writes the file when anything changed; false (errno set) on failure.
    bool Flush();
    bool Dirty() const { return m_dirty; }

public: // the profile functions
    // The key's integer value; def when the key is missing, 0 when its text
    // is not a number. Values past the 32-bit range are clamped to it.
    int GetInt(std::string_view section, std::string_view key, int def) const;
    // The key's text, or def when missing.
    std::string GetString(std::string_view section, std::string_view key,
                          std::string_view def = {}) const;
    bool HasKey(std::string_view section, std::string_view key) const;
    std::size_t KeyCount(std::string_view section) const;
    // The section's keys and values in file order; the first of duplicates only.
    std::vector<std::pair<std::string, std::string>> Entries(std::string_view section) const;
    void WriteInt(std::string_view section, std::string_view key, int value);
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void DeleteKey(std::string_view section, std::string_view key);
    void DeleteSection(std::string_view section);

    // The text as Flush would write it.
    std::string Serialize() const;
    void Parse(std::string_view text);

private:
    struct Line {
        std::string key; // empty for a comment or an unparsed line
        std::string value;
        std::string raw; // the line as read, kept when it is not key=value
    };
    struct Section {
        Section() = default;
        explicit Section(std::string sectionName) : name(std::move(sectionName)) {}

        std::string name;
        std::vector<Line> lines;
        // Lower-cased key to the index of its first line, made when first
        // needed: a section of 100,000 markers is written in linear time.
        mutable std::unordered_map<std::string, std::size_t> index;
        mutable bool indexed = false;

        const Line* Find(std::string_view key) const;
        Line* Find(std::string_view key) {
            return const_cast<Line*>(std::as_const(*this).Find(key));
        }
        void Append(Line line);
    };

    const Section* FindSection(std::string_view name) const;
    Section* FindSection(std::string_view name);
    const Line* FindLine(std::string_view section, std::string_view key) const;

    std::string m_path;
    std::vector<Section> m_sections; // the first has an empty name: lines before any header
    bool m_dirty = false;
};
