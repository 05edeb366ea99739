#pragma once

#include <functional>
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
//
// A file that exists but could not be read whole is never written: writing
// it would replace what was not read.
class OIniFile {
public:
    enum class State {
        New,        // no file: empty, and written when changed
        Read,       // read whole
        Partial,    // over the size limit: the lines that fit, never written
        Unreadable, // not a regular file, or reading failed: empty, never written
    };

    // A .sav holding 100,000 markers is about 4 MiB: the limit only keeps a
    // huge or binary file from taking the memory.
    static constexpr std::size_t kMaxFileSize = std::size_t{256} << 20;
    // A smaller limit, so that tests cross it without writing 256 MiB (0: the
    // real one).
    static void SetMaxFileSizeForTesting(std::size_t bytes);

    OIniFile() = default;
    explicit OIniFile(std::string path) : m_path(std::move(path)) {}

    const std::string& Path() const { return m_path; }
    // Reads the file; true when read, whole or in part. After a failure errno
    // tells why (EFBIG: over the limit).
    bool Load();
    State LoadState() const { return m_state; }
    // Why the last Load did not read the file whole (an errno value), or 0.
    int LoadError() const { return m_loadError; }
    bool Writable() const { return m_state == State::New || m_state == State::Read; }
    // Writes the file when anything changed; false (errno set) on failure or
    // when the file is not Writable().
    bool Flush();
    bool Dirty() const { return m_dirty; }
    // Applies write to the file as it is on disk now and flushes that, so
    // that sections edited by hand or by another instance since Load stay as
    // they are; write is applied here as well. Does nothing when this file
    // was not read whole (the user was told at start-up). False (errno set)
    // when the file cannot be read whole now, or cannot be written.
    bool Update(const std::function<void(OIniFile&)>& write);

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
    State m_state = State::New;
    int m_loadError = 0;
};
