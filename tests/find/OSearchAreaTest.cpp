#include "find/OSearchArea.h"

#include <gtest/gtest.h>
#include <string>
#include <string_view>

namespace {

// In: letters are bytes, [ and ] enclose the selection, _ stands before the
// caret's byte. Out: < and > around the area, ^ before the start.
std::string Area(std::string_view markup, bool down, bool fromBeginEnd, bool selectionOnly,
                 OOffset length = 2) {
    OOffset size = 0, caret = -1, selectionBegin = -1, selectionEnd = -1;
    std::string letters;
    for (char c : markup) {
        if (c == '[')
            selectionBegin = size;
        else if (c == ']')
            selectionEnd = size - 1;
        else if (c == '_')
            caret = size;
        else
            letters += c, ++size;
    }
    OFindOptions options;
    options.down = down;
    options.fromBeginEnd = fromBeginEnd;
    options.selectionOnly = selectionOnly;
    const OSearchArea a =
        ChooseSearchArea(options, caret, selectionBegin, selectionEnd, size, length);
    std::string out;
    for (OOffset i = 0; i <= size; ++i) {
        if (a.end == i) out += '>';
        if (a.begin == i) out += '<';
        if (a.start == i) out += '^';
        if (i < size) out += letters[static_cast<std::size_t>(i)];
    }
    if (a.toEnd) out += " to end";
    return out;
}

TEST(SearchArea, WholeFile) {
    EXPECT_EQ(Area("ab_cdef", true, false, false), "ab<^cdef> to end");
    EXPECT_EQ(Area("ab_cdef", true, true, false), "<^abcdef> to end");
    EXPECT_EQ(Area("ab_cdef", false, false, false), "<ab^cd>ef"); // a match may end past the caret
    EXPECT_EQ(Area("abcde_f", false, false, false), "<abcd^ef>"); // but not past the file
    EXPECT_EQ(Area("ab_cdef", false, true, false), "<abcd^ef>");
    EXPECT_EQ(Area("_", true, false, false), "><^ to end");
    EXPECT_EQ(Area("a_", false, false, false, 3), "<a>"); // no match fits: no start
}

TEST(SearchArea, Selection) {
    EXPECT_EQ(Area("a[bc_de]f", true, false, true), "a<bc^de>f"); // from the caret inside
    EXPECT_EQ(Area("a[bcde]_f", true, false, true), "a<^bcde>f"); // outside: its begin
    EXPECT_EQ(Area("a[bc_de]f", false, false, true), "a<bc^de>f");
    EXPECT_EQ(Area("a[bcd_e]f", false, false, true), "a<bcde>^f"); // its last byte is outside
    EXPECT_EQ(Area("a[bc_de]f", false, true, true), "a<bcde>^f");  // up from its end
    EXPECT_EQ(Area("a[bcd]e_f", true, true, true), "a<^bcd>ef");
    EXPECT_EQ(Area("a[bcd_]ef", true, false, true), "a<^bcd>ef"); // the caret on its last byte
}

} // namespace
