#include "view/OGotoModel.h"

#include "platform/OScriptedPlatform.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace {

using F = OGotoField;

constexpr OOffset kMax = kOffsetMax;

struct Place {
    int width = 16;
    int phase = 0;
    OOffset caret = 100;
    OOffset size = 1000;
    OGotoPlace Get() const { return {caret, width, phase, size}; }
};

// The three texts, record first, with '|' between them.
std::string Shown(const OGotoModel& m) {
    return m.Text(F::Record) + "|" + m.Text(F::HexOffset) + "|" + m.Text(F::DecOffset);
}

TEST(OGotoModel, FieldsFollowEachOther) {
    struct Case {
        int width, phase;
        F field;
        const char* text;
        const char* shown;
        OOffset offset;
    };
    const Case cases[] = {
        {16, 0, F::HexOffset, "1A", "1|1A|26", 26},
        {16, 0, F::Record, "3", "3|30|48", 48},
        // Phase 4: record 0 is offsets 0 to 11, record 1 starts at 12.
        {16, 4, F::Record, "1", "1|C|12", 12},
        {16, 4, F::DecOffset, "11", "0|B|11", 11},
        {16, 4, F::DecOffset, "28", "2|1C|28", 28},
        // A sign stands for a distance: whole records, no phase.
        {16, 0, F::DecOffset, "+10", "+0|+A|+10", 10},
        {16, 4, F::Record, "+2", "+2|+20|+32", 32},
        {7, 3, F::DecOffset, "-", "-0|-0|-", 0},
        // The largest offset and record: no step passes 2^63 - 1.
        {16, 4, F::DecOffset, "9223372036854775807",
         "576460752303423488|7FFFFFFFFFFFFFFF|9223372036854775807", kMax},
        {2, 1, F::Record, "4611686018427387903",
         "4611686018427387903|7FFFFFFFFFFFFFFD|9223372036854775805", kMax - 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        OScriptedPlatform platform;
        OGotoHistory history;
        OGotoModel m(Place{c.width, c.phase}.Get(), history);
        EXPECT_TRUE(m.Edit(c.field, c.text));
        EXPECT_EQ(Shown(m), c.shown);
        EXPECT_EQ(m.Offset(), c.offset);
        EXPECT_EQ(history.lastEdited, c.field);
        EXPECT_TRUE(platform.Messages().empty());
    }
}

TEST(OGotoModel, BadNumbersAreSaidAndChangeNothingElse) {
    struct Case {
        F field;
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {F::DecOffset, "1A", "Invalid digit"},
        {F::HexOffset, "0xff", "Invalid digit"},
        {F::DecOffset, "12345678901234567890", "Number overflow"},
        // The record's offset would pass 2^63 - 1.
        {F::Record, "576460752303423488", "Number overflow"},
        {F::Record, "+576460752303423488", "Number overflow"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        OScriptedPlatform platform;
        OGotoHistory history;
        OGotoModel m(Place{}.Get(), history);
        ASSERT_TRUE(m.Edit(F::Record, "3"));
        EXPECT_FALSE(m.Edit(c.field, c.text));
        EXPECT_EQ(platform.MessageTexts(), std::vector<std::string>{c.message});
        EXPECT_EQ(platform.Messages()[0].icon, OIcon::Stop);
        std::string expected[] = {"3", "30", "48"};
        expected[static_cast<int>(c.field)] = c.text;
        EXPECT_EQ(Shown(m), expected[0] + "|" + expected[1] + "|" + expected[2]);
        EXPECT_EQ(m.Offset(), 48);
        EXPECT_EQ(m.Sign(), 0);
        EXPECT_EQ(history.lastEdited, F::Record);
    }
}

TEST(OGotoModel, TypingFilter) {
    struct Case {
        F field;
        const char* text;
        std::size_t from, to;
        char typed;
        bool passes;
    };
    const Case cases[] = {
        {F::DecOffset, "", 0, 0, '-', true},    {F::DecOffset, "5", 0, 0, '+', true},
        {F::DecOffset, "5", 1, 1, '-', false},  // after a digit
        {F::DecOffset, "+5", 0, 0, '-', false}, // in front of a sign
        {F::DecOffset, "+5", 0, 1, '-', true},  // replacing it
        {F::DecOffset, "", 0, 0, 'A', false},   {F::Record, "1", 1, 1, 'a', false},
        {F::HexOffset, "1", 1, 1, 'f', true},   {F::HexOffset, "1", 1, 1, 'g', false},
        {F::DecOffset, "1", 1, 1, ' ', false},  {F::DecOffset, "1", 1, 1, '\b', true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " <- " + c.typed);
        EXPECT_EQ(OGotoModel::Accepts(c.field, c.typed, c.text, c.from, c.to), c.passes);
    }
}

TEST(OGotoModel, OkChecksTheTarget) {
    struct Case {
        F field;
        const char* text;
        OAnswer answer; // to "Offset over end"
        std::optional<OOffset> target;
        std::vector<std::string> messages;
    };
    const std::vector<std::string> none;
    const std::vector<std::string> overEnd{"Offset over end"};
    const Case cases[] = {
        {F::DecOffset, "+10", OAnswer::Ok, 110, none},
        {F::DecOffset, "-200", OAnswer::Ok, std::nullopt, {"Offset negative"}},
        {F::Record, "-7", OAnswer::Ok, std::nullopt, {"Offset negative"}},
        {F::DecOffset, "1000", OAnswer::Ok, 1000, none}, // the end itself
        // Past the end: OK goes to the end, never past it; Cancel stays.
        {F::DecOffset, "1001", OAnswer::Ok, 1000, overEnd},
        {F::DecOffset, "1001", OAnswer::Cancel, std::nullopt, overEnd},
        {F::HexOffset, "+7FFFFFFFFFFFFFFF", OAnswer::Ok, 1000, overEnd},
        {F::Record, "63", OAnswer::Ok, 1000, overEnd},
        // A field that is no number is said again rather than left behind.
        {F::DecOffset,
         "12345678901234567890",
         OAnswer::Ok,
         std::nullopt,
         {"Number overflow", "Number overflow"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        OScriptedPlatform platform;
        platform.Answer(c.answer);
        OGotoHistory history;
        OGotoModel m(Place{}.Get(), history);
        m.Edit(c.field, c.text);
        EXPECT_EQ(m.Accept(), c.target);
        EXPECT_EQ(platform.MessageTexts(), c.messages);
        if (!c.messages.empty() && c.messages[0] == "Offset over end") {
            EXPECT_EQ(platform.Messages()[0].buttons, OButtons::OkCancel);
        }
    }
}

TEST(OGotoModel, ReopeningStartsInTheFieldEditedLast) {
    OScriptedPlatform platform;
    OGotoHistory history;
    {
        OGotoModel first(Place{16, 4}.Get(), history);
        EXPECT_EQ(first.FocusField(), F::HexOffset);
        EXPECT_EQ(Shown(first), "||");
        first.Edit(F::HexOffset, "20");
        first.Edit(F::Record, "3");
        EXPECT_EQ(first.Accept(), 44);
    }
    EXPECT_EQ(history.lists[0], std::vector<std::string>{"3"});
    OGotoModel again(Place{16, 4}.Get(), history);
    EXPECT_EQ(again.FocusField(), F::Record);
    EXPECT_EQ(Shown(again), "3|2C|44");
    EXPECT_EQ(again.List(F::HexOffset), std::vector<std::string>{"2C"});

    // Clear empties everything, a sign too; the histories follow at OK.
    again.Edit(F::DecOffset, "+5");
    again.Clear();
    EXPECT_EQ(Shown(again), "||");
    EXPECT_TRUE(again.List(F::Record).empty());
    EXPECT_FALSE(history.lists[0].empty());
    EXPECT_EQ(again.Accept(), 0);
    for (const auto& list : history.lists)
        EXPECT_TRUE(list.empty());
    EXPECT_TRUE(platform.Messages().empty());
}

TEST(OGotoModel, HistoryKeepsSixteenNewestFirstIgnoringCase) {
    OScriptedPlatform platform;
    OGotoHistory history;
    std::vector<std::string>& hex = history.lists[static_cast<std::size_t>(F::HexOffset)];
    for (char c : std::string("0123456789ABCDEF"))
        hex.emplace_back(1, c);
    history.lastEdited = F::DecOffset; // its list is empty: no restore
    const auto accept = [&](const char* text) {
        OGotoModel m(Place{16, 0, 0, kMax}.Get(), history);
        EXPECT_EQ(m.FocusField(), F::HexOffset);
        m.Edit(F::HexOffset, text);
        m.Accept();
    };
    accept("c"); // replaces "C", in front
    EXPECT_EQ(hex.size(), 16u);
    EXPECT_EQ(hex.front(), "c");
    EXPECT_EQ(std::count(hex.begin(), hex.end(), "C"), 0);
    EXPECT_EQ(hex.back(), "F");
    accept("10"); // new: the oldest goes
    EXPECT_EQ(hex.size(), 16u);
    EXPECT_EQ(hex[0], "10");
    EXPECT_EQ(hex[1], "c");
    EXPECT_EQ(hex.back(), "E");
    EXPECT_EQ(history.lists[static_cast<std::size_t>(F::DecOffset)][0], "16");
    EXPECT_EQ(history.lastEdited, F::HexOffset);
}

} // namespace
