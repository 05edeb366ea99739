#include "platform/OIniFile.h"

#include "platform/OAtomicFile.h"
#include "platform/OSystem.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_set>
#include <utility>

namespace {

std::string Lower(std::string_view name) {
    std::string out(name);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// Names written into the file must not break its line structure.
std::string Clean(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c == '\n' || c == '\r' || c == '\0') c = ' ';
    }
    return out;
}

} // namespace

namespace {
std::size_t g_maxFileSize = OIniFile::kMaxFileSize;
} // namespace

void OIniFile::SetMaxFileSizeForTesting(std::size_t bytes) {
    g_maxFileSize = bytes == 0 ? kMaxFileSize : bytes;
}

bool OIniFile::Load() {
    m_dirty = false;
    m_loadError = 0;
    Parse({});
    // Not blocking: a FIFO in its place must not hang the start-up.
    const int fd = ::open(m_path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        m_state = errno == ENOENT ? State::New : State::Unreadable;
        if (m_state == State::Unreadable) m_loadError = errno;
        return false;
    }
    struct stat info {};
    const bool statFailed = ::fstat(fd, &info) != 0;
    if (statFailed || !S_ISREG(info.st_mode)) {
        const int error = statFailed              ? errno
                          : S_ISDIR(info.st_mode) ? EISDIR
                                                  : kErrorNotRegularFile;
        ::close(fd);
        m_state = State::Unreadable;
        m_loadError = errno = error;
        return false;
    }
    std::string text;
    char buffer[65536];
    int error = 0;
    // One byte past the limit tells a file of exactly the limit from a longer one.
    while (text.size() <= g_maxFileSize) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) error = errno;
        if (n <= 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    if (error != 0) {
        m_state = State::Unreadable;
        m_loadError = errno = error;
        return false;
    }
    m_state = State::Read;
    if (text.size() > g_maxFileSize) {
        // The lines that fit whole: a line cut in two would read as another value.
        text.resize(g_maxFileSize);
        const auto lastBreak = text.rfind('\n');
        text.resize(lastBreak == std::string::npos ? 0 : lastBreak + 1);
        m_state = State::Partial;
    }
    Parse(text);
    if (m_state == State::Partial) m_loadError = errno = EFBIG;
    return true;
}

bool OIniFile::Update(const std::function<void(OIniFile&)>& write) {
    if (!Writable()) return true;
    OIniFile current(m_path);
    current.Load();
    if (!current.Writable()) {
        errno = current.LoadError();
        return false;
    }
    write(current);
    write(*this);
    if (!current.Flush()) return false;
    m_dirty = false;
    return true;
}

void OIniFile::Parse(std::string_view text) {
    m_sections.clear();
    m_sections.push_back(Section{});
    while (!text.empty()) {
        const auto newline = text.find('\n');
        std::string_view raw = text.substr(0, newline);
        text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
        if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
        const std::string_view line = Trim(raw);
        if (line.size() >= 2 && line.front() == '[') {
            // The last ']': names taken from file names may hold one.
            const auto close = line.rfind(']');
            if (close != std::string_view::npos) {
                m_sections.push_back(Section(std::string(Trim(line.substr(1, close - 1)))));
                continue;
            }
        }
        Line entry;
        const auto equals = line.find('=');
        if (equals != std::string_view::npos && line.front() != ';' && equals > 0) {
            entry.key = std::string(Trim(line.substr(0, equals)));
            entry.value = std::string(Trim(line.substr(equals + 1)));
        }
        if (entry.key.empty()) entry.raw = std::string(raw);
        m_sections.back().Append(std::move(entry));
    }
}

std::string OIniFile::Serialize() const {
    std::string out;
    for (const Section& section : m_sections) {
        // Only the lines before the first header have no header: a section
        // read from "[]" keeps its own, or its keys would join the one before.
        if (!section.name.empty() || &section != &m_sections.front())
            out += "[" + section.name + "]\n";
        for (const Line& line : section.lines) {
            if (line.key.empty())
                out += line.raw;
            else
                out += line.key + "=" + line.value;
            out += '\n';
        }
    }
    return out;
}

bool OIniFile::Flush() {
    if (!Writable()) {
        errno = m_state == State::Partial ? EFBIG : EACCES;
        return false;
    }
    if (!m_dirty) return true;
    const std::string text = Serialize();
    // A new file stays private: it holds histories and paths.
    OAtomicFile out;
    if (!out.Begin(m_path, 0600) || !out.Write(text.data(), text.size()) || !out.Commit())
        return false;
    m_dirty = false;
    return true;
}

const OIniFile::Section* OIniFile::FindSection(std::string_view name) const {
    for (const Section& section : m_sections) {
        if (!section.name.empty() && SameName(section.name, name)) return &section;
    }
    return nullptr;
}

OIniFile::Section* OIniFile::FindSection(std::string_view name) {
    return const_cast<Section*>(std::as_const(*this).FindSection(name));
}

// The first of duplicate keys wins, as the format's readers have always done.
const OIniFile::Line* OIniFile::Section::Find(std::string_view key) const {
    if (!indexed) {
        index.clear();
        for (std::size_t i = 0; i < lines.size(); ++i)
            if (!lines[i].key.empty()) index.try_emplace(Lower(lines[i].key), i);
        indexed = true;
    }
    const auto it = index.find(Lower(key));
    return it == index.end() ? nullptr : &lines[it->second];
}

void OIniFile::Section::Append(Line line) {
    if (indexed && !line.key.empty()) index.try_emplace(Lower(line.key), lines.size());
    lines.push_back(std::move(line));
}

const OIniFile::Line* OIniFile::FindLine(std::string_view section, std::string_view key) const {
    const Section* found = FindSection(section);
    return found ? found->Find(key) : nullptr;
}

bool OIniFile::HasKey(std::string_view section, std::string_view key) const {
    return FindLine(section, key) != nullptr;
}

std::size_t OIniFile::KeyCount(std::string_view section) const {
    const Section* found = FindSection(section);
    if (!found) return 0;
    return static_cast<std::size_t>(std::count_if(found->lines.begin(), found->lines.end(),
                                                  [](const Line& l) { return !l.key.empty(); }));
}

std::vector<std::pair<std::string, std::string>> OIniFile::Entries(std::string_view section) const {
    std::vector<std::pair<std::string, std::string>> entries;
    const Section* found = FindSection(section);
    if (!found) return entries;
    std::unordered_set<std::string> seen;
    for (const Line& line : found->lines) {
        if (line.key.empty()) continue;
        std::string folded = line.key;
        for (char& c : folded)
            c = c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
        if (seen.insert(std::move(folded)).second) entries.emplace_back(line.key, line.value);
    }
    return entries;
}

int OIniFile::GetInt(std::string_view section, std::string_view key, int def) const {
    const Line* line = FindLine(section, key);
    if (!line) return def;
    std::string_view text = line->value;
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        value = value * 10 + (c - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT_MAX) value = INT_MAX;
    return static_cast<int>(value);
}

std::string OIniFile::GetString(std::string_view section, std::string_view key,
                                std::string_view def) const {
    const Line* line = FindLine(section, key);
    return line ? line->value : std::string(def);
}

void OIniFile::WriteInt(std::string_view section, std::string_view key, int value) {
    WriteString(section, key, std::to_string(value));
}

void OIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    m_dirty = true;
    Section* found = FindSection(section);
    if (!found) {
        m_sections.push_back(Section(Clean(section)));
        found = &m_sections.back();
    }
    if (Line* line = found->Find(key)) {
        line->value = Trim(Clean(value));
        return;
    }
    found->Append(Line{Clean(key), std::string(Trim(Clean(value))), {}});
}

void OIniFile::DeleteKey(std::string_view section, std::string_view key) {
    Section* found = FindSection(section);
    if (!found) return;
    std::erase_if(found->lines,
                  [&](const Line& line) { return !line.key.empty() && SameName(line.key, key); });
    found->indexed = false;
    m_dirty = true;
}

void OIniFile::DeleteSection(std::string_view section) {
    std::erase_if(m_sections,
                  [&](const Section& s) { return !s.name.empty() && SameName(s.name, section); });
    m_dirty = true;
}
