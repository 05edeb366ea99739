#include "document/OCommandRules.h"

#include "markers/OMarkerList.h"
#include "markers/ORange.h"
#include "res/OMenus.h"

#include <gtest/gtest.h>

namespace {

using namespace ids;

OCmdUI Ui(OCommandId id, const OCommandState& state) {
    const OCommandInfo* info = FindCommand(id);
    EXPECT_NE(info, nullptr) << static_cast<unsigned>(id);
    return info ? Evaluate(*info, state) : OCmdUI{};
}

struct Fixture {
    ORange selection;
    ORange lastFound = MakeLastFoundRange();
    OMarkerList markers;
    OCommandState state;

    Fixture() {
        state.fileSize = 100;
        state.caret = 10;
        state.writable = true;
        state.selection = &selection;
        state.lastFound = &lastFound;
        state.markers = &markers;
    }
};

} // namespace

// Every command a menu, an accelerator or a context menu offers has a rule.
TEST(OCommandTable, EveryReachableCommandHasARow) {
    for (OTextId menu : {IDR_MAINFRAME, IDR_DOCTYPE})
        for (const OMenuEntry& entry : MenuResource(menu))
            if (entry.kind == OMenuKind::Item || entry.kind == OMenuKind::RecentFiles) {
                EXPECT_NE(FindCommand(entry.id), nullptr) << entry.text;
            }
    for (const OAccelerator& key : Accelerators())
        EXPECT_NE(FindCommand(key.id), nullptr) << key.keys;
    for (auto items : {GutterMenuItems(), OffsetMenuItems(), DataMenuItems()})
        for (const OContextItem& item : items)
            if (item.id != kMenuSeparator) {
                EXPECT_NE(FindCommand(item.id), nullptr);
            }
    EXPECT_NE(FindCommand(RecentFileCommand(3)), nullptr);
}

TEST(OCommandRules, EmptyFileReadOnlyAndRangesAtTheCaret) {
    Fixture f;
    f.state.fileSize = 0;
    f.state.caret = 0;
    for (OCommandId id : {ID_GOTO, ID_SELECT_ALL, ID_SELECT_BEGIN, ID_SELECT_END, ID_OFFSET_AT_TOP,
                          ID_ADD_OFFSET_MARKER})
        EXPECT_FALSE(Ui(id, f.state).enabled) << static_cast<unsigned>(id);
    f.state.syncScroll = true;
    EXPECT_FALSE(Ui(ID_SYNC_SCROLL, f.state).checked);

    // Read-only: every change is off, Copy is not; the button is up and the
    // Edit menu's item checked.
    Fixture r;
    r.state.writable = false;
    r.state.modified = true;
    r.state.clipValid = true;
    r.selection.Set(5, 20);
    for (OCommandId id : {ID_CUT, ID_DELETE, ID_PASTE, ID_PASTE_HERE, ID_INSERT, ID_FILE_SAVE})
        EXPECT_FALSE(Ui(id, r.state).enabled) << static_cast<unsigned>(id);
    EXPECT_TRUE(Ui(ID_COPY, r.state).enabled);
    EXPECT_FALSE(Ui(ID_READ_ONLY, r.state).checked);
    EXPECT_TRUE(Ui(ID_READ_ONLY_MENU, r.state).checked);
    r.state.writable = true;
    for (OCommandId id : {ID_CUT, ID_DELETE, ID_PASTE, ID_PASTE_HERE, ID_INSERT, ID_FILE_SAVE})
        EXPECT_TRUE(Ui(id, r.state).enabled) << static_cast<unsigned>(id);

    // Paste needs a range at the caret; a marker there is one.
    Fixture m;
    m.state.clipValid = true;
    EXPECT_FALSE(Ui(ID_PASTE, m.state).enabled);
    EXPECT_FALSE(Ui(ID_COPY, m.state).enabled);
    EXPECT_FALSE(Ui(ID_ADD_MARKER, m.state).enabled);
    EXPECT_TRUE(Ui(ID_ADD_OFFSET_MARKER, m.state).enabled);
    ORange single(kOffsetMarkerBackground, kOffsetMarkerForeground);
    single.Set(10, 10);
    ASSERT_TRUE(m.markers.Insert(single));
    EXPECT_TRUE(Ui(ID_PASTE, m.state).enabled);
    EXPECT_FALSE(Ui(ID_ADD_OFFSET_MARKER, m.state).enabled);
    EXPECT_TRUE(Ui(ID_MARKER_EDIT, m.state).enabled);
    // The caret after the only marker: without wrap nothing lies after it.
    m.state.caret = 50;
    m.state.markerJumpWrap = false;
    EXPECT_FALSE(Ui(ID_MARKER_NEXT, m.state).enabled);
    EXPECT_TRUE(Ui(ID_MARKER_PREV, m.state).enabled);
    m.state.markerJumpWrap = true;
    EXPECT_TRUE(Ui(ID_MARKER_NEXT, m.state).enabled);
    // A last-found range at the caret allows Add marker without a selection.
    m.lastFound.Set(48, 52);
    EXPECT_TRUE(Ui(ID_ADD_MARKER, m.state).enabled);
    m.state.caret = 100; // on the end of the file
    EXPECT_FALSE(Ui(ID_ADD_MARKER, m.state).enabled);
}
