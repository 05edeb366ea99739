// The document's marker commands with the dialogs answered by a script:
// what each command offers, what it changes, and what it refuses.
#include "document/OClipStore.h"
#include "document/ODoc.h"
#include "document/ODocView.h"
#include "document/OMarkerTargets.h"
#include "markers/OMarkerDialogs.h"
#include "platform/OProgress.h"
#include "platform/OScriptedPlatform.h"
#include "support/OTempDir.h"

#include <deque>
#include <gtest/gtest.h>
#include <random>
#include <unistd.h>

namespace {

using namespace ids;
using Spans = std::vector<std::pair<OOffset, OOffset>>;

// Answers from queues (empty: Cancel) and keeps what the dialogs were shown.
struct Host final : ODocHost, OMarkerDialogs {
    OClipHolder holder;
    std::deque<std::optional<std::string>> titles; // OK with this title, or Cancel
    std::deque<std::size_t> rows;                  // the row chosen
    std::vector<ORange> offered;                   // as the edit dialog got them
    std::vector<std::string> listed;               // the last list's titles
    std::size_t selected = 0;                      // and its row under the caret

    std::optional<std::size_t> ChooseRange(const OMarkerRows& shown, OCommandId) override {
        listed.clear();
        for (std::size_t row = 0; row < shown.Count(); ++row)
            listed.push_back(shown.At(row).Title());
        selected = shown.RowToSelect();
        if (rows.empty()) return std::nullopt;
        const std::size_t row = rows.front();
        rows.pop_front();
        return row;
    }
    bool EditRange(ORange& range) override {
        offered.push_back(range);
        const std::optional<std::string> title = titles.empty() ? std::nullopt : titles.front();
        if (!titles.empty()) titles.pop_front();
        if (title) range.SetTitle(*title);
        return title.has_value();
    }
    void AddToRecentFileList(const std::string&) override {}
    void OnTitleChanged(ODoc&) override {}
    void StoreViewState(ODoc&, ODocView&) override {}
    bool MakeBackup(OFile&) override { return true; }
    OClipHolder& ClipHolder() override { return holder; }
    std::string TempDirectory() override { return "/tmp/"; }
    OMarkerDialogs* MarkerDialogs() override { return this; }
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

class MarkerCommands : public ::testing::Test {
protected:
    void SetUp() override {
        path = dir.Write("data.bin", std::vector<OByte>(100, 7));
        ASSERT_TRUE(doc.OnOpenDocument(path));
        doc.AddView(&view);
        doc.SetEditContext(&view);
    }
    // Markers titled "m<begin>".
    void Mark(const Spans& spans) {
        for (const auto& [begin, end] : spans) {
            ORange marker(kMarkerBackground, kMarkerForeground, "m" + std::to_string(begin));
            marker.Set(begin, end);
            ASSERT_TRUE(doc.Markers().Insert(marker));
        }
    }
    Spans Positions() const {
        Spans out;
        for (std::size_t i = 0; i < doc.Markers().Count(); ++i)
            out.emplace_back(doc.Markers().At(i).Begin(), doc.Markers().At(i).End());
        return out;
    }
    bool Enabled(OCommandId id) {
        OCmdUI ui;
        EXPECT_TRUE(doc.OnUpdateCommand(id, ui));
        return ui.enabled;
    }
    // Runs id at caret; true when the views were updated.
    bool Run(OCommandId id, OOffset caret) {
        view.caret = caret;
        const int before = view.updates;
        EXPECT_TRUE(doc.OnCommand(id));
        return view.updates > before;
    }

    OScriptedPlatform platform;
    OTempDir dir;
    Host host;
    ODoc doc{&host};
    View view;
    std::string path;
};

} // namespace

// The last match under the caret wins over a selection; its colouring goes
// and a marker in the marker colours stands there. Cancel, or a position
// already marked, passes on to the selection; a marked selection is empty,
// so a second Add marker does nothing.
TEST_F(MarkerCommands, AddMarker) {
    doc.Selection().Set(40, 49);
    doc.SetLastFound(10, 4);
    host.titles = {"found"};
    EXPECT_TRUE(Run(ID_ADD_MARKER, 12));
    EXPECT_EQ(host.offered.at(0).Title(), "");
    EXPECT_EQ(host.offered.at(0).Background(), kMarkerBackground);
    EXPECT_EQ(doc.Markers().At(0).Title(), "found");
    EXPECT_TRUE(doc.LastFound().IsEmpty());

    doc.SetLastFound(10, 4);
    host.titles = {"again", std::nullopt};
    EXPECT_FALSE(Run(ID_ADD_MARKER, 12));
    EXPECT_EQ(host.offered.size(), 3u); // the last match, then the selection
    host.titles = {"sel"};
    EXPECT_TRUE(Run(ID_ADD_MARKER, 45));
    EXPECT_EQ(Positions(), (Spans{{10, 13}, {40, 49}}));
    EXPECT_TRUE(doc.Selection().IsEmpty());
    EXPECT_FALSE(Enabled(ID_ADD_MARKER));
    EXPECT_FALSE(Run(ID_ADD_MARKER, 45));
    EXPECT_EQ(host.offered.size(), 4u);
}

TEST_F(MarkerCommands, AddOffsetMarkerOncePerByte) {
    Mark({{20, 29}});
    view.caret = 20;
    EXPECT_TRUE(Enabled(ID_ADD_OFFSET_MARKER)); // a longer marker does not count
    host.titles = {"point"};
    EXPECT_TRUE(Run(ID_ADD_OFFSET_MARKER, 20));
    EXPECT_EQ(host.offered.at(0).Background(), kOffsetMarkerBackground);
    EXPECT_EQ(Positions(), (Spans{{20, 20}, {20, 29}}));
    EXPECT_FALSE(Enabled(ID_ADD_OFFSET_MARKER));
    EXPECT_FALSE(Run(ID_ADD_OFFSET_MARKER, 20));
    EXPECT_EQ(host.offered.size(), 1u);
}

// The selection and the last match are offered only by the Goto commands;
// the row of the range under the caret is selected, else the first.
TEST_F(MarkerCommands, ListRowsPerCommand) {
    Mark({{10, 13}, {30, 39}, {30, 30}, {50, 59}});
    doc.Selection().Set(50, 59);
    doc.SetLastFound(70, 3);
    const std::vector<std::string> markers{"m10", "m30", "m30", "m50"};
    const std::vector<std::string> all{"<Selected>", "<Last found>", "m10", "m30", "m30", "m50"};
    struct Case {
        OCommandId command;
        OOffset caret;
        const std::vector<std::string>& titles;
        std::size_t selected;
    };
    const Case cases[] = {
        {ID_MARKER_BEGIN, 11, all, 2},
        {ID_MARKER_MIDDLE, 30, all, 3}, // 30..30 came later: first
        {ID_MARKER_EDIT, 35, markers, 2},
        {ID_MARKER_REMOVE, 99, markers, 0},
        {ID_MARKER_END, 55, all, 5},   // the marker over the selected bytes wins
        {ID_MARKER_BEGIN, 71, all, 0}, // the last match is never under the caret
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(Run(c.command, c.caret)); // cancelled
        EXPECT_EQ(host.listed, c.titles) << c.caret;
        EXPECT_EQ(host.selected, c.selected) << c.caret;
    }
}

TEST_F(MarkerCommands, GotoEditAndRemoveActOnTheChosenRow) {
    Mark({{10, 13}, {90, 90}});
    doc.Selection().Set(40, 45);
    // Rows: <Selected> 40..45, m10 10..13, m90 90..90.
    const std::tuple<OCommandId, std::size_t, OOffset> gotos[] = {{ID_MARKER_BEGIN, 1, 10},
                                                                  {ID_MARKER_MIDDLE, 1, 11},
                                                                  {ID_MARKER_END, 1, 13},
                                                                  {ID_MARKER_MIDDLE, 0, 42},
                                                                  {ID_MARKER_MIDDLE, 2, 90}};
    for (const auto& [command, row, caret] : gotos) {
        host.rows = {row};
        EXPECT_TRUE(Run(command, 0));
        EXPECT_EQ(view.caret, caret);
    }
    EXPECT_FALSE(Run(ID_MARKER_BEGIN, 3)); // cancelled
    EXPECT_EQ(view.caret, 3);

    host.rows = {1, 1, 0};
    host.titles = {"renamed", std::nullopt};
    EXPECT_TRUE(Run(ID_MARKER_EDIT, 0));
    EXPECT_FALSE(Run(ID_MARKER_EDIT, 0));
    EXPECT_EQ(host.offered.at(0).Title(), "m90");
    EXPECT_EQ(doc.Markers().At(1).Title(), "renamed");
    EXPECT_TRUE(Run(ID_MARKER_REMOVE, 0));
    EXPECT_EQ(Positions(), (Spans{{90, 90}}));

    EXPECT_FALSE(Run(ID_MARKER_REMOVE_ALL, 0)); // the script answers No
    EXPECT_EQ(platform.Messages().at(0).text, "Remove all markers");
    EXPECT_EQ(platform.Messages().at(0).icon, OIcon::Question);
    platform.Answer(OAnswer::Yes);
    EXPECT_TRUE(Run(ID_MARKER_REMOVE_ALL, 0));
    EXPECT_TRUE(doc.Markers().Empty());
    EXPECT_FALSE(Enabled(ID_MARKER_REMOVE_ALL));
}

// The file became shorter behind the program's back: ranges past its end
// stay, but no command puts the caret or a new marker past its last byte.
TEST_F(MarkerCommands, AFileShorterThanItsMarkers) {
    Mark({{10, 13}, {60, 79}, {90, 95}});
    doc.Selection().Set(40, 69);
    ASSERT_EQ(::truncate(path.c_str(), 50), 0);
    // Rows: <Selected> 40..69, m10, m60, m90.
    const std::tuple<OCommandId, std::size_t, OOffset> gotos[] = {
        {ID_MARKER_BEGIN, 3, 49}, {ID_MARKER_END, 2, 49}, {ID_MARKER_MIDDLE, 0, 49}};
    for (const auto& [command, row, caret] : gotos) {
        host.rows = {row};
        EXPECT_TRUE(Run(command, 0));
        EXPECT_EQ(view.caret, caret);
    }
    EXPECT_EQ(NextMarkerTarget(doc, 45, 50, false), 49);
    EXPECT_EQ(PrevMarkerTarget(doc, 49, 50, true), 40);

    host.titles = {"cut", "never"};
    EXPECT_TRUE(Run(ID_ADD_MARKER, 45));
    EXPECT_EQ(Positions(), (Spans{{10, 13}, {40, 49}, {60, 79}, {90, 95}}));
    doc.Selection().Set(55, 58);
    EXPECT_FALSE(Run(ID_ADD_MARKER, 45));
    EXPECT_FALSE(Run(ID_ADD_MARKER, 50));
    EXPECT_FALSE(Run(ID_ADD_OFFSET_MARKER, 50));
    EXPECT_EQ(host.titles.size(), 1u); // no dialog opened
}

TEST_F(MarkerCommands, NothingRunsDuringALongOperation) {
    Mark({{1, 2}});
    OLongOperation running;
    platform.Answer(OAnswer::Yes);
    EXPECT_FALSE(Run(ID_MARKER_REMOVE_ALL, 0));
    EXPECT_EQ(doc.Markers().Count(), 1u);
    EXPECT_EQ(platform.StatusHistory(),
              std::vector<std::string>{"An operation is running: wait until it ends"});
}

TEST(MarkerMiddle, RoundsTowardZeroWithoutOverflow) {
    __extension__ using Wide = __int128;
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937_64 rng(seed);
    const OOffset edges[] = {INT64_MIN, INT64_MIN + 1, -3,       -1, 0, 1, 10,
                             13,        INT64_MAX - 1, INT64_MAX};
    auto check = [](OOffset a, OOffset b) {
        ASSERT_EQ(MarkerMiddle(a, b), static_cast<OOffset>((Wide{a} + b) / 2)) << a << " " << b;
    };
    for (OOffset a : edges)
        for (OOffset b : edges)
            check(a, b);
    // Near the limits, near zero, and anywhere.
    for (int i = 0; i < 10000; ++i)
        check(static_cast<OOffset>(rng()) >> (rng() % 64),
              static_cast<OOffset>(rng()) >> (rng() % 64));
    EXPECT_EQ(MarkerMiddle(10, 13), 11);
}
