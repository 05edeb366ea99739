#include "view/OMarkerJump.h"

#include "document/ODoc.h"
#include "document/ODocView.h"
#include "view/ORecordView.h"

#include <gtest/gtest.h>

namespace {

struct ViewSpy final : ODocView {
    int updates = 0;
    void OnUpdate() override { ++updates; }
};

} // namespace

// The caret goes where the jump rules say and every view repaints; a file
// that became shorter than its markers keeps the caret on its last byte.
TEST(OMarkerJump, MovesTheCaretAndUpdatesTheViews) {
    ODoc doc;
    ViewSpy spy;
    doc.AddView(&spy);
    OOffset length = 100;
    ORecordView view(OViewSettings{}, [&length] { return length; });
    for (OOffset begin : {20, 80}) {
        ORange marker;
        marker.Set(begin, begin + 9);
        doc.Markers().Insert(marker);
    }
    // next, wrap, then the caret, or -1 where the jump has nowhere to go.
    const std::tuple<bool, bool, OOffset> steps[] = {
        {true, false, 20},  {true, false, 80}, {true, false, -1}, {true, true, 20},
        {false, false, -1}, {false, true, 80}, {false, false, 20}};
    int moves = 0;
    for (const auto& [next, wrap, caret] : steps) {
        const OOffset before = view.Caret();
        const bool moved = next ? GotoNextMarker(view, doc, wrap) : GotoPrevMarker(view, doc, wrap);
        moves += moved;
        EXPECT_EQ(moved, caret >= 0);
        EXPECT_EQ(view.Caret(), caret >= 0 ? caret : before);
        EXPECT_EQ(spy.updates, moves);
    }
    length = 50;
    EXPECT_TRUE(GotoNextMarker(view, doc, false));
    EXPECT_EQ(view.Caret(), 49);
}
