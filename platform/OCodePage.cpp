#include "platform/OCodePage.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

using Table = std::array<char32_t, 256>;

// clang-format off
constexpr Table kOem = {
    0x0000, 0x263A, 0x263B, 0x2665, 0x2666, 0x2663, 0x2660, 0x2022,
    0x25D8, 0x25CB, 0x25D9, 0x2642, 0x2640, 0x266A, 0x266B, 0x263C,
    0x25BA, 0x25C4, 0x2195, 0x203C, 0x00B6, 0x00A7, 0x25AC, 0x21A8,
    0x2191, 0x2193, 0x2192, 0x2190, 0x221F, 0x2194, 0x25B2, 0x25BC,
    0x0020, 0x0021, 0x0022, 0x0023, 0x0024, 0x0025, 0x0026, 0x0027,
    0x0028, 0x0029, 0x002A, 0x002B, 0x002C, 0x002D, 0x002E, 0x002F,
    0x0030, 0x0031, 0x0032, 0x0033, 0x0034, 0x0035, 0x0036, 0x0037,
    0x0038, 0x0039, 0x003A, 0x003B, 0x003C, 0x003D, 0x003E, 0x003F,
    0x0040, 0x0041, 0x0042, 0x0043, 0x0044, 0x0045, 0x0046, 0x0047,
    0x0048, 0x0049, 0x004A, 0x004B, 0x004C, 0x004D, 0x004E, 0x004F,
    0x0050, 0x0051, 0x0052, 0x0053, 0x0054, 0x0055, 0x0056, 0x0057,
    0x0058, 0x0059, 0x005A, 0x005B, 0x005C, 0x005D, 0x005E, 0x005F,
    0x0060, 0x0061, 0x0062, 0x0063, 0x0064, 0x0065, 0x0066, 0x0067,
    0x0068, 0x0069, 0x006A, 0x006B, 0x006C, 0x006D, 0x006E, 0x006F,
    0x0070, 0x0071, 0x0072, 0x0073, 0x0074, 0x0075, 0x0076, 0x0077,
    0x0078, 0x0079, 0x007A, 0x007B, 0x007C, 0x007D, 0x007E, 0x2302,
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7,
    0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
    0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192,
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA,
    0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229,
    0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,
};

// Only 0x80-0x9F differ from Latin-1.
constexpr std::array<char32_t, 32> kAnsiHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};
// clang-format on

constexpr Table MakeAnsi() {
    Table table{};
    for (unsigned b = 0; b < 256; ++b)
        table[b] = b >= 0x80 && b < 0xA0 ? kAnsiHigh[b - 0x80] : char32_t(b);
    return table;
}

constexpr Table kAnsi = MakeAnsi();

using Reverse = std::array<std::pair<char32_t, OByte>, 256>;

constexpr Reverse MakeReverse(const Table& table) {
    Reverse reverse{};
    for (unsigned b = 0; b < 256; ++b)
        reverse[b] = {table[b], OByte(b)};
    std::sort(reverse.begin(), reverse.end());
    return reverse;
}

constexpr bool Distinct(const Reverse& reverse) {
    return std::adjacent_find(reverse.begin(), reverse.end(), [](const auto& a, const auto& b) {
               return a.first == b.first;
           }) == reverse.end();
}

constexpr Reverse kOemReverse = MakeReverse(kOem);
constexpr Reverse kAnsiReverse = MakeReverse(kAnsi);
// A repeated character would make the way back ambiguous.
static_assert(Distinct(kOemReverse) && Distinct(kAnsiReverse));

int Lookup(const Reverse& reverse, char32_t c) {
    const auto it =
        std::lower_bound(reverse.begin(), reverse.end(), c,
                         [](const auto& entry, char32_t key) { return entry.first < key; });
    return it != reverse.end() && it->first == c ? it->second : -1;
}

// Plain ASCII stand-ins, valid in both pages, for characters one page lacks.
constexpr std::pair<char32_t, char> kBestFit[] = {
    {0x00AD, '-'}, {0x00C0, 'A'}, {0x00C1, 'A'}, {0x00C2, 'A'}, {0x00C3, 'A'},  {0x00C8, 'E'},
    {0x00CA, 'E'}, {0x00CB, 'E'}, {0x00CC, 'I'}, {0x00CD, 'I'}, {0x00CE, 'I'},  {0x00CF, 'I'},
    {0x00D0, 'D'}, {0x00D2, 'O'}, {0x00D3, 'O'}, {0x00D4, 'O'}, {0x00D5, 'O'},  {0x00D8, 'O'},
    {0x00D9, 'U'}, {0x00DA, 'U'}, {0x00DB, 'U'}, {0x00DD, 'Y'}, {0x00E3, 'a'},  {0x00F0, 'd'},
    {0x00F5, 'o'}, {0x00F8, 'o'}, {0x00FD, 'y'}, {0x0160, 'S'}, {0x0161, 's'},  {0x0178, 'Y'},
    {0x017D, 'Z'}, {0x017E, 'z'}, {0x0393, 'G'}, {0x0398, 'T'}, {0x03A3, 'S'},  {0x03A6, 'F'},
    {0x03A9, 'O'}, {0x03B1, 'a'}, {0x03B4, 'd'}, {0x03B5, 'e'}, {0x03C0, 'p'},  {0x03C3, 's'},
    {0x03C4, 't'}, {0x03C6, 'f'}, {0x2013, '-'}, {0x2014, '-'}, {0x2018, '\''}, {0x2019, '\''},
    {0x201A, ','}, {0x201C, '"'}, {0x201D, '"'}, {0x201E, '"'}, {0x2039, '<'},  {0x203A, '>'},
};

static_assert(std::is_sorted(std::begin(kBestFit), std::end(kBestFit)));

OByte BestFit(char32_t c) {
    if (c >= 0x2500 && c <= 0x257F) {
        if (c == 0x2500 || c == 0x2550) return '-';
        if (c == 0x2502 || c == 0x2551) return '|';
        return '+';
    }
    const auto it =
        std::lower_bound(std::begin(kBestFit), std::end(kBestFit), c,
                         [](const auto& entry, char32_t key) { return entry.first < key; });
    return it != std::end(kBestFit) && it->first == c ? OByte(it->second) : OByte('?');
}

bool IsControl(char32_t c) {
    return c < 0x20 || c == 0x7F;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

// The character of the well-formed sequence at text[at], and its length;
// length 0 when the lead byte does not begin one.
std::pair<char32_t, std::size_t> DecodeUtf8(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x80) return {lead, 1};
    std::size_t length;
    char32_t c;
    char32_t least;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        c = lead & 0x1F;
        least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        c = lead & 0x0F;
        least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        c = lead & 0x07;
        least = 0x10000;
    } else {
        return {0, 0};
    }
    if (text.size() - at < length) return {0, 0};
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80) return {0, 0};
        c = (c << 6) | (next & 0x3F);
    }
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return {0, 0};
    return {c, length};
}

} // namespace

char32_t OemToUnicode(OByte b) {
    return kOem[b];
}

char32_t AnsiToUnicode(OByte b) {
    return kAnsi[b];
}

int UnicodeToOem(char32_t c) {
    return Lookup(kOemReverse, c);
}

int UnicodeToAnsi(char32_t c) {
    return Lookup(kAnsiReverse, c);
}

OByte AnsiUpper(OByte b) {
    if (b >= 'a' && b <= 'z') return OByte(b - 0x20);
    if (b >= 0xE0 && b <= 0xFE && b != 0xF7) return OByte(b - 0x20);
    switch (b) {
    case 0x9A:
    case 0x9C:
    case 0x9E:
        return OByte(b - 0x10);
    case 0xFF:
        return 0x9F;
    default:
        return b;
    }
}

OByte OemToAnsi(OByte b) {
    if (IsControl(b)) return b;
    const char32_t c = OemToUnicode(b);
    const int ansi = UnicodeToAnsi(c);
    return ansi >= 0 ? OByte(ansi) : BestFit(c);
}

OByte AnsiToOem(OByte b) {
    if (IsControl(b)) return b;
    const char32_t c = AnsiToUnicode(b);
    const int oem = UnicodeToOem(c);
    return oem >= 0 ? OByte(oem) : BestFit(c);
}

std::string BytesToUtf8(std::span<const OByte> bytes, bool oem) {
    const Table& table = oem ? kOem : kAnsi;
    std::string out;
    out.reserve(bytes.size());
    for (OByte b : bytes)
        AppendUtf8(out, table[b]);
    return out;
}

std::vector<OByte> Utf8ToBytes(std::string_view text, bool oem, bool* lossy) {
    std::vector<OByte> out;
    out.reserve(text.size());
    bool lost = false;
    std::size_t at = 0;
    while (at < text.size()) {
        const auto [c, length] = DecodeUtf8(text, at);
        if (length == 0) {
            out.push_back('?');
            lost = true;
            ++at;
            continue;
        }
        at += length;
        int b = oem ? UnicodeToOem(c) : UnicodeToAnsi(c);
        if (b < 0 && oem && IsControl(c)) b = int(c);
        if (b < 0) {
            b = '?';
            lost = true;
        }
        out.push_back(OByte(b));
    }
    if (lossy) *lossy = lost;
    return out;
}
