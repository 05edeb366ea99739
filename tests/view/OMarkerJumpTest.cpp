#include "view/OMarkerJump.h"

#include "document/ODoc.h"
#include "document/ODocView.h"
#include "platform/OScriptedPlatform.h"
#include "support/OTempDir.h"
#include "view/ORecordView.h"

#include <gtest/gtest.h>

namespace {

struct ViewSpy final : ODocView {
    int updates = 0;
    void OnUpdate() override { ++updates; }
};

} // namespace

// Next and previous marker through a view: the caret goes where the rules
// say, every view repaints, and a file that became shorter than its markers
// keeps the caret on its last byte.
TEST(OMarkerJump, MovesTheCaretAndUpdatesTheViews) {
    OScriptedPlatform platform;
    OTempDir dir;
    const std::string path = dir.Write("a.bin", std::vector<OByte>(100, 0));
    ODoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(path));
    ViewSpy spy;
    doc.AddView(&spy);
    OOffset length = 100;
    ORecordView view(OViewSettings{}, [&length] { return length; });
    for (OOffset begin : {20, 80}) {
        ORange marker;
        marker.Set(begin, begin + 9);
        doc.Markers().Insert(marker);
    }
    struct Step {
        bool next;
        bool wrap;
        bool moved;
        OOffset caret;
    };
    const Step steps[] = {{true, false, true, 20},   {true, false, true, 80},
                          {true, false, false, 80},  {true, true, true, 20},
                          {false, false, false, 20}, {false, true, true, 80},
                          {false, false, true, 20}};
    int moves = 0;
    for (const Step& s : steps) {
        const bool moved =
            s.next ? GotoNextMarker(view, doc, s.wrap) : GotoPrevMarker(view, doc, s.wrap);
        moves += moved ? 1 : 0;
        EXPECT_EQ(moved, s.moved) << (&s - steps);
        EXPECT_EQ(view.Caret(), s.caret) << (&s - steps);
        EXPECT_EQ(spy.updates, moves) << (&s - steps);
    }
    length = 50;
    EXPECT_TRUE(GotoNextMarker(view, doc, false));
    EXPECT_EQ(view.Caret(), 49);
}
