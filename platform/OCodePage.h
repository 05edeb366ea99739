#pragma once

#include "platform/OTypes.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

// The two single-byte code pages the text pane and the clipboard know:
// "OEM" is code page 437 and "ANSI" is Windows-1252.
//
// Each table maps every byte to one distinct Unicode character, so a byte
// survives the trip to Unicode and back in both pages. Code page 437 is read
// as its glyphs: 0x01-0x1F are the symbols (U+263A ...) and 0x7F is U+2302;
// 0x00 stays U+0000. Windows-1252's five unassigned bytes 0x81, 0x8D, 0x8F,
// 0x90 and 0x9D stand for the C1 controls of the same number, as Windows
// reads them.

char32_t OemToUnicode(OByte b);
char32_t AnsiToUnicode(OByte b);
// The byte for c, or -1 when the page has none. Exact inverses of the above:
// in code page 437 the C0 controls have no byte, since their bytes are glyphs.
int UnicodeToOem(char32_t c);
int UnicodeToAnsi(char32_t c);

// Windows-1252 upper case of one byte: a-z, à-þ except ÷, š, œ, ž and ÿ.
// µ and ß have no single-byte upper case and stay.
OByte AnsiUpper(OByte b);

// Byte conversions between the pages. The control bytes 0x00-0x1F and 0x7F
// are the same controls in both and keep their value. Others go through
// Unicode; a character the target page lacks takes a best fit (a box-drawing
// line as '-', '|' or '+', a Greek letter as its Latin look-alike, an accented
// letter without its accent, typographic quotes and dashes as plain ones) and
// otherwise '?'.
OByte OemToAnsi(OByte b);
OByte AnsiToOem(OByte b);

// The bytes as UTF-8, read in the OEM or the ANSI page.
std::string BytesToUtf8(std::span<const OByte> bytes, bool oem);
// UTF-8 text as bytes of the OEM or the ANSI page. A character without a byte
// becomes '?', and so does each byte that is not part of a well-formed UTF-8
// sequence (overlong forms, surrogates and values past U+10FFFF included);
// *lossy, when given, tells whether either happened. In the OEM page the C0 controls and
// U+007F, which have no glyph byte, take their own value, so line breaks and
// tabs pasted as text stay line breaks and tabs.
std::vector<OByte> Utf8ToBytes(std::string_view text, bool oem, bool* lossy = nullptr);
