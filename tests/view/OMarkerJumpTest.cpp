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

// A jump moves the caret and repaints every view, or does neither; a file
// that became shorter than its markers keeps the caret on its last byte.
TEST(OMarkerJump, MovesTheCaretAndUpdatesTheViews) {
    ODoc doc;
    ViewSpy spy;
    doc.AddView(&spy);
    OOffset length = 100;
    ORecordView view(OViewSettings{}, [&length] { return length; });
    ORange marker;
    marker.Set(80, 89);
    doc.Markers().Insert(marker);
    EXPECT_TRUE(GotoNextMarker(view, doc, false));
    EXPECT_EQ(view.Caret(), 80);
    EXPECT_FALSE(GotoPrevMarker(view, doc, false));
    EXPECT_EQ(view.Caret(), 80);
    EXPECT_EQ(spy.updates, 1);
    length = 50;
    EXPECT_TRUE(GotoNextMarker(view, doc, true));
    EXPECT_EQ(view.Caret(), 49);
}
