// The document's marker commands with the dialogs answered by a script:
// what each command offers, what it changes, and what it refuses.
#include "document/OClipStore.h"
#include "document/ODoc.h"
#include "document/ODocView.h"
#include "document/OMarkerRules.h"
#include "markers/OMarkerDialogs.h"
#include "platform/OProgress.h"
#include "platform/OScriptedPlatform.h"
#include "res/OResourceIds.h"
#include "support/OTempDir.h"

#include <deque>
#include <gtest/gtest.h>
#include <random>
#include <unistd.h>

namespace {

using namespace ids;
using Spans = std::vector<std::pair<OOffset, OOffset>>;

// Answers the dialogs from queues (an empty queue answers Cancel) and keeps
// what each showed.
struct ScriptedDialogs final : OMarkerDialogs {
    struct List {
        std::vector<std::string> titles;
        std::size_t selected;
        OCommandId command;
    };
    std::deque<std::optional<std::string>> titles; // OK with this title, or Cancel
    std::deque<std::optional<std::size_t>> rows;   // the row chosen, or Cancel
    std::vector<ORange> offered;                   // each range as the edit dialog got it
    std::vector<List> lists;

    std::optional<std::size_t> ChooseRange(const OMarkerRows& shown, OCommandId command) override {
        List list{{}, shown.RowToSelect(), command};
        for (std::size_t row = 0; row < shown.Count(); ++row)
            list.titles.push_back(shown.At(row).Title());
        lists.push_back(list);
        if (rows.empty()) return std::nullopt;
        const auto row = rows.front();
        rows.pop_front();
        return row;
    }
    bool EditRange(ORange& range) override {
        offered.push_back(range);
        if (titles.empty() || !titles.front()) {
            if (!titles.empty()) titles.pop_front();
            return false;
        }
        range.SetTitle(*titles.front());
        range.SetColors(0x0000FF, 0x00FF00);
        titles.pop_front();
        return true;
    }
};

struct Host final : ODocHost {
    OClipHolder holder;
    ScriptedDialogs dialogs;
    void AddToRecentFileList(const std::string&) override {}
    void OnTitleChanged(ODoc&) override {}
    void StoreViewState(ODoc&, ODocView&) override {}
    bool MakeBackup(OFile&) override { return true; }
    OClipHolder& ClipHolder() override { return holder; }
    std::string TempDirectory() override { return "/tmp/"; }
    OMarkerDialogs* MarkerDialogs() override { return &dialogs; }
};

struct View final : ODocView, OEditContext {
    OOffset caret = 0;
    int updates = 0;
    void OnUpdate() override { ++updates; }
    OOffset CaretOffset() const override { return caret; }
    bool OemCharacters() const override { return false; }
    bool ShiftHeld() const override { return false; }
    void MoveCaretAfterEdit(OOffset offset) override { caret = offset; }
};

ORange Span(OOffset begin, OOffset end, std::string title = {}) {
    ORange range(kMarkerBackground, kMarkerForeground, std::move(title));
    range.Set(begin, end);
    return range;
}

Spans PositionsOf(const OMarkerList& list) {
    Spans out;
    for (std::size_t i = 0; i < list.Count(); ++i)
        out.emplace_back(list.At(i).Begin(), list.At(i).End());
    return out;
}

class MarkerCommands : public ::testing::Test {
protected:
    void SetUp() override {
        path = dir.Write("data.bin", std::vector<OByte>(100, 7));
        ASSERT_TRUE(doc.OnOpenDocument(path));
        doc.AddView(&view);
        doc.SetEditContext(&view);
    }
    // Markers titled by their begin, as "m<begin>".
    void Mark(const Spans& spans) {
        for (const auto& [begin, end] : spans)
            ASSERT_TRUE(doc.Markers().Insert(Span(begin, end, "m" + std::to_string(begin))));
    }
    bool Enabled(OCommandId id) {
        OCmdUI ui;
        EXPECT_TRUE(doc.OnUpdateCommand(id, ui));
        return ui.enabled;
    }
    // Runs id and returns how many times the views were updated.
    int Run(OCommandId id) {
        const int before = view.updates;
        EXPECT_TRUE(doc.OnCommand(id));
        return view.updates - before;
    }

    OScriptedPlatform platform;
    OTempDir dir;
    Host host;
    ODoc doc{&host};
    View view;
    ScriptedDialogs& dialogs = host.dialogs;
    std::string path;
};

} // namespace

// The last match under the caret wins over a selection; its colouring goes
// and a marker in the marker colours, titled in the dialog, stands there.
TEST_F(MarkerCommands, AddMarkerTakesTheLastFoundUnderTheCaretBeforeTheSelection) {
    doc.Selection().Set(40, 49);
    doc.SetLastFound(10, 4);
    view.caret = 12;
    dialogs.titles = {"found"};
    EXPECT_EQ(Run(ID_ADD_MARKER), 1);
    ASSERT_EQ(dialogs.offered.size(), 1u);
    EXPECT_EQ(dialogs.offered[0].Title(), "");
    EXPECT_EQ(dialogs.offered[0].Background(), kMarkerBackground);
    EXPECT_EQ(dialogs.offered[0].Foreground(), kMarkerForeground);
    EXPECT_EQ(PositionsOf(doc.Markers()), (Spans{{10, 13}}));
    EXPECT_EQ(doc.Markers().At(0).Title(), "found");
    EXPECT_TRUE(doc.LastFound().IsEmpty());
    EXPECT_EQ(doc.Selection().Begin(), 40);

    // Cancel on the last match offers the selection next; once it is a
    // marker the selection is empty, so a second Add marker does nothing.
    doc.SetLastFound(60, 2);
    view.caret = 60;
    dialogs.titles = {std::nullopt, "sel"};
    EXPECT_EQ(Run(ID_ADD_MARKER), 1);
    EXPECT_EQ(PositionsOf(doc.Markers()), (Spans{{10, 13}, {40, 49}}));
    EXPECT_TRUE(doc.Selection().IsEmpty());
    EXPECT_FALSE(doc.LastFound().IsEmpty());
    view.caret = 45;
    EXPECT_FALSE(Enabled(ID_ADD_MARKER));
    dialogs.offered.clear();
    EXPECT_EQ(Run(ID_ADD_MARKER), 0);
    EXPECT_TRUE(dialogs.offered.empty());
    EXPECT_EQ(doc.Markers().Count(), 2u);
}

// Where the marker would stand already, Insert refuses: nothing changes.
TEST_F(MarkerCommands, AddMarkerOverAnExistingMarkerChangesNothing) {
    Mark({{5, 9}});
    doc.Selection().Set(5, 9);
    view.caret = 5;
    dialogs.titles = {"again"};
    EXPECT_EQ(Run(ID_ADD_MARKER), 0);
    EXPECT_EQ(doc.Markers().At(0).Title(), "m5");
    EXPECT_FALSE(doc.Selection().IsEmpty());
}

TEST_F(MarkerCommands, AddOffsetMarkerOncePerByte) {
    Mark({{20, 29}});
    view.caret = 20;
    EXPECT_TRUE(Enabled(ID_ADD_OFFSET_MARKER)); // a longer marker does not count
    dialogs.titles = {"point"};
    EXPECT_EQ(Run(ID_ADD_OFFSET_MARKER), 1);
    ASSERT_EQ(dialogs.offered.size(), 1u);
    EXPECT_EQ(dialogs.offered[0].Background(), kOffsetMarkerBackground);
    EXPECT_EQ(dialogs.offered[0].Foreground(), kOffsetMarkerForeground);
    EXPECT_EQ(PositionsOf(doc.Markers()), (Spans{{20, 20}, {20, 29}}));
    EXPECT_FALSE(Enabled(ID_ADD_OFFSET_MARKER));
    EXPECT_EQ(Run(ID_ADD_OFFSET_MARKER), 0);
    EXPECT_EQ(dialogs.offered.size(), 1u);
    // Cancel adds nothing; past the last byte there is nothing to mark.
    view.caret = 21;
    EXPECT_EQ(Run(ID_ADD_OFFSET_MARKER), 0);
    view.caret = 100;
    EXPECT_FALSE(Enabled(ID_ADD_OFFSET_MARKER));
    EXPECT_EQ(doc.Markers().Count(), 2u);
}

// The list each command shows: the selection and the last match only for
// the Goto commands, under the command's caption, with the row of the range
// under the caret selected.
TEST_F(MarkerCommands, TheListOffersRowsPerCommand) {
    Mark({{10, 13}, {30, 39}, {30, 30}});
    doc.Selection().Set(50, 59);
    doc.SetLastFound(70, 3);
    const std::vector<std::string> markers{"m10", "m30", "m30"};
    const std::vector<std::string> all{"<Selected>", "<Last found>", "m10", "m30", "m30"};
    struct Case {
        OCommandId command;
        OOffset caret;
        std::vector<std::string> titles;
        std::size_t selected;
    };
    const Case cases[] = {
        // Among equal begins the newer marker, 30..30, comes first.
        {ID_MARKER_BEGIN, 11, all, 2},
        {ID_MARKER_MIDDLE, 30, all, 3},
        {ID_MARKER_END, 55, all, 0},
        // The last match is never the range under the caret.
        {ID_MARKER_BEGIN, 71, all, 0},
        {ID_MARKER_EDIT, 35, markers, 2},
        {ID_MARKER_REMOVE, 30, markers, 1},
        {ID_MARKER_REMOVE, 55, markers, 0},
        {ID_MARKER_EDIT, 99, markers, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<unsigned>(c.command));
        view.caret = c.caret;
        dialogs.lists.clear();
        EXPECT_EQ(Run(c.command), 0); // cancelled
        ASSERT_EQ(dialogs.lists.size(), 1u);
        EXPECT_EQ(dialogs.lists[0].titles, c.titles);
        EXPECT_EQ(dialogs.lists[0].selected, c.selected);
        EXPECT_EQ(dialogs.lists[0].command, c.command);
    }
    // Without a selection and a last match only the markers are offered.
    doc.Selection().Reset();
    doc.SetLastFound(-1, 0);
    dialogs.lists.clear();
    Run(ID_MARKER_BEGIN);
    EXPECT_EQ(dialogs.lists.at(0).titles, markers);
}

TEST_F(MarkerCommands, GotoTakesTheCaretToTheChosenRange) {
    Mark({{10, 13}, {90, 90}});
    doc.Selection().Set(40, 45);
    struct Case {
        OCommandId command;
        std::size_t row;
        OOffset caret;
    };
    // Rows: <Selected> 40..45, m10 10..13, m90 90..90.
    const Case cases[] = {{ID_MARKER_BEGIN, 1, 10},  {ID_MARKER_MIDDLE, 1, 11},
                          {ID_MARKER_END, 1, 13},    {ID_MARKER_MIDDLE, 0, 42},
                          {ID_MARKER_MIDDLE, 2, 90}, {ID_MARKER_END, 0, 45}};
    for (const Case& c : cases) {
        view.caret = 0;
        dialogs.rows = {c.row};
        EXPECT_EQ(Run(c.command), 1);
        EXPECT_EQ(view.caret, c.caret) << static_cast<unsigned>(c.command) << " row " << c.row;
    }
    view.caret = 3;
    EXPECT_EQ(Run(ID_MARKER_BEGIN), 0); // cancelled
    EXPECT_EQ(view.caret, 3);
}

TEST_F(MarkerCommands, EditAndRemoveActOnTheChosenMarker) {
    Mark({{10, 13}, {30, 39}});
    dialogs.rows = {1, 1};
    dialogs.titles = {"renamed", std::nullopt};
    EXPECT_EQ(Run(ID_MARKER_EDIT), 1);
    EXPECT_EQ(doc.Markers().At(1).Title(), "renamed");
    EXPECT_EQ(doc.Markers().At(1).Background(), 0x0000FFu);
    EXPECT_EQ(dialogs.offered.at(0).Title(), "m30");
    EXPECT_EQ(Run(ID_MARKER_EDIT), 0); // Cancel in the edit dialog
    EXPECT_EQ(doc.Markers().At(1).Title(), "renamed");

    dialogs.rows = {0};
    EXPECT_EQ(Run(ID_MARKER_REMOVE), 1);
    EXPECT_EQ(PositionsOf(doc.Markers()), (Spans{{30, 39}}));
    EXPECT_EQ(Run(ID_MARKER_REMOVE), 0); // cancelled
    EXPECT_EQ(doc.Markers().Count(), 1u);
}

TEST_F(MarkerCommands, RemoveAllAsksFirst) {
    Mark({{1, 2}, {5, 5}});
    EXPECT_EQ(Run(ID_MARKER_REMOVE_ALL), 0); // the script answers No
    EXPECT_EQ(doc.Markers().Count(), 2u);
    ASSERT_EQ(platform.Messages().size(), 1u);
    EXPECT_EQ(platform.Messages()[0].text, "Remove all markers");
    EXPECT_EQ(platform.Messages()[0].buttons, OButtons::YesNo);
    EXPECT_EQ(platform.Messages()[0].icon, OIcon::Question);
    platform.Answer(OAnswer::Yes);
    EXPECT_EQ(Run(ID_MARKER_REMOVE_ALL), 1);
    EXPECT_TRUE(doc.Markers().Empty());
    EXPECT_FALSE(Enabled(ID_MARKER_REMOVE_ALL));
}

TEST_F(MarkerCommands, UpdateRules) {
    const OCommandId lists[] = {ID_MARKER_EDIT, ID_MARKER_REMOVE, ID_MARKER_REMOVE_ALL};
    const OCommandId gotos[] = {ID_MARKER_BEGIN, ID_MARKER_MIDDLE, ID_MARKER_END};
    view.caret = 5;
    for (OCommandId id : lists)
        EXPECT_FALSE(Enabled(id));
    for (OCommandId id : gotos)
        EXPECT_FALSE(Enabled(id));
    EXPECT_FALSE(Enabled(ID_ADD_MARKER));
    doc.SetLastFound(3, 4);
    EXPECT_TRUE(Enabled(ID_ADD_MARKER));
    for (OCommandId id : gotos)
        EXPECT_TRUE(Enabled(id));
    for (OCommandId id : lists)
        EXPECT_FALSE(Enabled(id));
    Mark({{90, 95}});
    for (OCommandId id : lists)
        EXPECT_TRUE(Enabled(id));
    // Next and previous: with wrap there is always the other side.
    EXPECT_EQ(NextMarkerTarget(doc, 5, 100, false), 90);
    EXPECT_EQ(PrevMarkerTarget(doc, 5, 100, false), 3);
    EXPECT_EQ(PrevMarkerTarget(doc, 3, 100, false), -1);
    EXPECT_EQ(PrevMarkerTarget(doc, 3, 100, true), 90);
    EXPECT_TRUE(MarkerBefore(doc, 3, 100, true));
    EXPECT_FALSE(MarkerAfter(doc, 95, 100, false));
    // No view, nothing to act on.
    doc.SetEditContext(nullptr);
    EXPECT_FALSE(Enabled(ID_MARKER_EDIT));
    EXPECT_EQ(Run(ID_MARKER_EDIT), 0);
    EXPECT_TRUE(dialogs.lists.empty());
}

// The file became shorter behind the program's back: markers and ranges
// past its end stay as they are, but no command puts the caret or a new
// marker past its last byte.
TEST_F(MarkerCommands, AFileShorterThanItsMarkers) {
    Mark({{10, 13}, {60, 79}, {90, 95}});
    doc.Selection().Set(40, 69);
    ASSERT_EQ(::truncate(path.c_str(), 50), 0);
    struct Case {
        OCommandId command;
        std::size_t row;
        OOffset caret;
    };
    // Rows: <Selected> 40..69, m10, m60, m90.
    const Case cases[] = {{ID_MARKER_BEGIN, 3, 49},
                          {ID_MARKER_END, 2, 49},
                          {ID_MARKER_MIDDLE, 0, 49},
                          {ID_MARKER_END, 1, 13}};
    for (const Case& c : cases) {
        view.caret = 0;
        dialogs.rows = {c.row};
        EXPECT_EQ(Run(c.command), 1);
        EXPECT_EQ(view.caret, c.caret);
    }
    EXPECT_EQ(NextMarkerTarget(doc, 20, 50, false), 40);
    EXPECT_EQ(NextMarkerTarget(doc, 45, 50, false), 49);
    EXPECT_EQ(PrevMarkerTarget(doc, 49, 50, true), 40);

    // A selection reaching past the end becomes a marker of what is left.
    view.caret = 45;
    dialogs.titles = {"cut"};
    EXPECT_EQ(Run(ID_ADD_MARKER), 1);
    EXPECT_EQ(PositionsOf(doc.Markers()), (Spans{{10, 13}, {40, 49}, {60, 79}, {90, 95}}));
    // One wholly past the end, or a caret there, marks nothing and opens
    // no dialog.
    doc.Selection().Set(55, 58);
    dialogs.titles = {"never"};
    view.caret = 45;
    EXPECT_EQ(Run(ID_ADD_MARKER), 0);
    for (OOffset caret : {50, 70}) {
        view.caret = caret;
        EXPECT_EQ(Run(ID_ADD_MARKER), 0);
        EXPECT_EQ(Run(ID_ADD_OFFSET_MARKER), 0);
    }
    EXPECT_EQ(dialogs.titles.size(), 1u);
    EXPECT_EQ(doc.Markers().Count(), 4u);
    EXPECT_EQ(doc.File()->GetSize(), 50);
}

TEST_F(MarkerCommands, NothingRunsDuringALongOperation) {
    Mark({{1, 2}});
    OLongOperation running;
    platform.Answer(OAnswer::Yes);
    EXPECT_EQ(Run(ID_MARKER_REMOVE_ALL), 0);
    EXPECT_EQ(doc.Markers().Count(), 1u);
    EXPECT_EQ(platform.StatusHistory(),
              std::vector<std::string>{"An operation is running: wait until it ends"});
}

TEST(MarkerMiddle, RoundsTowardZeroWithoutOverflow) {
    constexpr OOffset kMax = INT64_MAX;
    constexpr OOffset kMin = INT64_MIN;
    const OOffset cases[][3] = {{10, 13, 11},
                                {13, 10, 11},
                                {0, 0, 0},
                                {-3, 0, -1},
                                {-4, 1, -1},
                                {-1, 0, 0},
                                {kMax, kMax, kMax},
                                {kMax - 1, kMax, kMax - 1},
                                {kMin, kMin, kMin},
                                {kMin, kMax, 0},
                                {kMin + 1, kMin, kMin + 1}};
    for (const auto& c : cases)
        EXPECT_EQ(MarkerMiddle(c[0], c[1]), c[2]) << c[0] << " " << c[1];

    __extension__ using Wide = __int128;
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937_64 rng(seed);
    for (int i = 0; i < 10000; ++i) {
        // Near the limits, near zero, and anywhere.
        const int shift = static_cast<int>(rng() % 64);
        const auto a = static_cast<OOffset>(rng()) >> shift;
        const auto b = static_cast<OOffset>(rng()) >> (rng() % 64);
        ASSERT_EQ(MarkerMiddle(a, b), static_cast<OOffset>((Wide{a} + b) / 2)) << a << " " << b;
    }
}
