#include "document/OClipStore.h"
#include "document/OFile.h"
#include "find/qt/OFindDlg.h"
#include "qt/OAppFixture.h"
#include "res/OCommandTable.h"
#include "view/qt/OGotoDlg.h"
#include "view/qt/OInsertDlg.h"
#include "view/qt/OView.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <numeric>
#include <set>

namespace {

using namespace ids;

struct Walk;

// A window on 64 bytes 00 01 02 ... 3F, writable, caret at 0. Each command
// is walked twice, in a fresh window each time: once with its rule false,
// once with it true.
class CommandWalk : public ::testing::TestWithParam<std::tuple<std::size_t, bool>>,
                    public OAppFixture {
public:
    void SetUp() override {
        QObject::connect(&m_dialogs, &QTimer::timeout, [this] { Answer(); });
        m_dialogs.start(5);
        std::vector<OByte> bytes(64);
        std::iota(bytes.begin(), bytes.end(), OByte{0});
        ASSERT_TRUE(Start({dir.Write("data.bin", bytes)}));
        Frame().resize(900, 500);
        view = Frame().ActiveView();
        ASSERT_NE(view, nullptr);
        Doc().SetReadOnly(false);
        view->Relayout();
    }
    ODoc& Doc() { return view->Doc(); }
    OOffset Length() { return Doc().ShownLength(); }
    OOffset Caret() { return view->Geometry().Caret(); }
    void CaretAt(OOffset offset) { view->Geometry().SetCaret(offset); }
    void Select(OOffset a, OOffset b) { Doc().Selection().Set(a, b); }
    void Marker(OOffset begin, OOffset end) {
        ORange range;
        range.Set(begin, end);
        Doc().Markers().Insert(range);
    }
    void Run(OCommandId id) { Frame().ExecuteCommand(id); }

    OView* view = nullptr;
    int dialogs = 0;
    // Modal dialogs that open are filled in and accepted (rejected once this
    // many were accepted), and counted.
    int accept = 0;
    std::function<void(QDialog&)> fill;

private:
    void Answer() {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        ++dialogs;
        if (accept <= 0) return dialog->reject();
        --accept;
        if (fill) fill(*dialog);
        dialog->accept();
    }

    QTimer m_dialogs;
};

using W = CommandWalk;

struct Walk {
    OCommandId id;
    // Makes the rule false (null: the command has no rule); the command is
    // then greyed and its key does nothing.
    std::function<void(W&)> off;
    // Makes the rule true; the command runs and does what check says.
    std::function<void(W&)> on;
    std::function<bool(W&)> check;
};

const auto kNothing = [](W&) {};

void TypeGotoHex(QDialog& d) {
    QTest::keyClicks(qobject_cast<OGotoDlg*>(&d)->Field(OGotoField::HexOffset), "2A");
}

void FindByte5(QDialog& d) {
    qobject_cast<OFindDlg*>(&d)->FindField()->setEditText("\\05");
}

// The walks of the document window's commands, in the table's order.
std::vector<Walk> Walks() {
    using namespace ids;
    using M = ORowModel::OffsetMode;
    using Step = std::function<void(W&)>;
    auto then = [](Step a, Step b) {
        return [a, b](W& w) {
            a(w);
            b(w);
        };
    };
    auto readOnly = [](W& w) { w.Doc().SetReadOnly(true); };
    auto caretAt = [](OOffset offset) { return [offset](W& w) { w.CaretAt(offset); }; };
    auto caretAtEnd = [](W& w) { w.CaretAt(w.Length()); };
    auto emptyFile = [](W& w) {
        w.Run(ID_FILE_NEW);
        w.view = w.Frame().ActiveView();
    };
    auto select = [](OOffset a, OOffset b) { return [a, b](W& w) { w.Select(a, b); }; };
    auto marker = [](OOffset a, OOffset b) { return [a, b](W& w) { w.Marker(a, b); }; };
    auto accept = [](int count, std::function<void(QDialog&)> fill = {}) {
        return [count, fill](W& w) {
            w.accept = count;
            w.fill = fill;
        };
    };
    auto fillClip = [](W& w) {
        w.Select(0, 1);
        w.Run(ID_COPY);
        w.Doc().Selection().Reset();
    };
    const Step selectionReadOnly = then(select(0, 3), readOnly);
    // A selection with one end set is none, even with the caret on that end.
    const Step beginOnly = then(select(10, -1), caretAt(10));
    const Step endOnly = then(select(-1, 10), caretAt(10));
    const Step markerAndList = then(marker(10, 13), accept(1));
    auto caretIs = [](OOffset offset) { return [offset](W& w) { return w.Caret() == offset; }; };
    auto lengthIs = [](OOffset length) { return [length](W& w) { return w.Length() == length; }; };
    auto markersAre = [](std::size_t n) {
        return [n](W& w) { return w.Doc().Markers().Count() == n; };
    };
    auto clipHolds = [](OOffset n) {
        return [n](W& w) { return w.core.ClipHolder().Length() == n; };
    };
    auto dialogsAre = [](int n) { return [n](W& w) { return w.dialogs == n; }; };
    auto noLastFound = [](W& w) { return w.Doc().LastFound().IsEmpty(); };
    auto checked = [](OCommandId id) {
        return [id](W& w) { return w.Frame().CommandState(id).checked; };
    };
    auto modeIs = [](M mode) { return [mode](W& w) { return w.view->OffsetMode() == mode; }; };
    auto run = [](OCommandId id) { return [id](W& w) { w.Run(id); }; };
    const Step findFirst = then(accept(1, FindByte5), run(ID_FIND));
    return {
        {ID_ADD_MARKER, kNothing, then(select(4, 7), accept(1)), markersAre(1)},
        {ID_ADD_OFFSET_MARKER, caretAtEnd, accept(1), markersAre(1)},
        {ID_COPY, beginOnly, select(0, 3), clipHolds(4)},
        {ID_CUT, selectionReadOnly, select(0, 3), lengthIs(60)},
        {ID_DELETE, endOnly, select(0, 3), lengthIs(60)},
        // The list, then the marker.
        {ID_MARKER_EDIT, kNothing, then(marker(8, 9), accept(2)), dialogsAre(2)},
        {ID_MARKER_BEGIN, kNothing, markerAndList, caretIs(10)},
        {ID_MARKER_END, kNothing, markerAndList, caretIs(13)},
        {ID_MARKER_MIDDLE, kNothing, markerAndList, caretIs(11)},
        {ID_MARKER_NEXT, kNothing, marker(20, 21), caretIs(20)},
        {ID_MARKER_PREV, kNothing, then(marker(20, 21), caretAt(30)), caretIs(20)},
        {ID_PASTE, kNothing, then(fillClip, then(select(10, 13), caretAt(10))), lengthIs(62)},
        {ID_PASTE_HERE, readOnly, fillClip, lengthIs(66)},
        {ID_MARKER_REMOVE, kNothing, markerAndList, markersAre(0)},
        {ID_MARKER_REMOVE_ALL, kNothing,
         then(marker(8, 9), [](W& w) { w.platform.Answer(OAnswer::Yes); }), markersAre(0)},
        {ID_SELECT_ALL, emptyFile, kNothing,
         [](W& w) { return w.Doc().Selection().Length() == 64; }},
        // The caret's byte begins a record (the top row, when the file is
        // longer than the window).
        {ID_OFFSET_AT_TOP, caretAtEnd, caretAt(5),
         [](W& w) { return w.view->Geometry().ColumnOf(5) == 0; }},
        {ID_SELECT_BEGIN, caretAtEnd, caretAt(5),
         [](W& w) { return w.Doc().Selection().Begin() == 5 && w.Doc().Selection().IsEmpty(); }},
        {ID_SELECT_END, caretAtEnd, then(caretAt(9), then(run(ID_SELECT_BEGIN), caretAt(0))),
         [](W& w) { return w.Doc().Selection().Length() == 10; }},
        {ID_UNSELECT, kNothing, select(1, 2), [](W& w) { return w.Doc().Selection().IsEmpty(); }},
        {ID_RECORD_NUMBER, nullptr, kNothing, checked(ID_RECORD_NUMBER)},
        {ID_RECORD_OFFSET, nullptr, [](W& w) { w.view->SetOffsetMode(M::TrackOffset); },
         modeIs(M::RowOffset)},
        {ID_TRACK_OFFSET, nullptr, kNothing, modeIs(M::TrackOffset)},
        {ID_READ_ONLY_MENU, nullptr, kNothing, checked(ID_READ_ONLY_MENU)},
        {ID_FIND, emptyFile, accept(1, FindByte5),
         [](W& w) { return w.Caret() == 5 && w.Doc().LastFound().Begin() == 5; }},
        // No second match, or nothing before the match: the last-found range goes.
        {ID_FIND_NEXT, kNothing, findFirst, noLastFound},
        {ID_FIND_PREV, kNothing,
         then(caretAt(40), then(accept(1,
                                       [](QDialog& d) {
                                           FindByte5(d);
                                           qobject_cast<OFindDlg*>(&d)->Up()->click();
                                       }),
                                run(ID_FIND))),
         noLastFound},
        {ID_FIT_RECORD, nullptr, kNothing, checked(ID_FIT_RECORD)},
        {ID_FONT, nullptr, accept(1), dialogsAre(1)},
        {ID_GOTO, emptyFile, accept(1, TypeGotoHex), caretIs(0x2A)},
        {ID_PANE_HEX, nullptr, [](W& w) { w.view->Settings().paneText = false; },
         [](W& w) { return !w.view->Settings().paneHex && w.view->Settings().paneText; }},
        {ID_PANE_OFFSET, nullptr, kNothing, [](W& w) { return !w.view->Settings().paneOffset; }},
        {ID_SHIFT_LEFT, nullptr, kNothing, [](W& w) { return w.view->Geometry().Phase() == 15; }},
        {ID_SHIFT_RIGHT, nullptr, kNothing, [](W& w) { return w.view->Geometry().Phase() == 1; }},
        {ID_PANE_TEXT, nullptr, kNothing, [](W& w) { return !w.view->Settings().paneText; }},
        {ID_WIDTH_MINUS, nullptr,
         [](W& w) {
             // While the record fits the window the key does nothing.
             w.view->Settings().fitRecord = true;
             const int width = w.view->Geometry().Width();
             w.Frame().ExecuteCommand(ID_WIDTH_MINUS);
             EXPECT_EQ(w.view->Geometry().Width(), width);
             w.view->Settings().fitRecord = false;
             w.view->ApplyRecordWidth(16);
         },
         [](W& w) { return w.view->Geometry().Width() == 15; }},
        {ID_HEX_BASE, nullptr, kNothing, checked(ID_HEX_BASE)},
        {ID_WIDTH_PLUS, nullptr, kNothing, [](W& w) { return w.view->Geometry().Width() == 17; }},
        {ID_INSERT, readOnly,
         accept(1, [](QDialog& d) { qobject_cast<OInsertDlg*>(&d)->Count()->setText("3"); }),
         lengthIs(67)},
        {ID_OEM, nullptr, kNothing, checked(ID_OEM)},
        {ID_SYNC_SCROLL, nullptr, kNothing, checked(ID_SYNC_SCROLL)},
        {ID_READ_ONLY, nullptr, kNothing,
         [](W& w) { return w.Doc().ReadOnly() && !w.Frame().CommandState(ID_READ_ONLY).checked; }},
        {ID_COPY_SHIFT_DELETE, kNothing, select(0, 3), clipHolds(4)},
        {ID_PASTE_SHIFT_INSERT, readOnly, fillClip, lengthIs(66)},
        // Nothing done yet: nothing to undo or redo.
        {ID_EDIT_UNDO, kNothing, then(select(0, 3), run(ID_DELETE)), lengthIs(64)},
        {ID_EDIT_REDO, kNothing, then(select(0, 3), then(run(ID_DELETE), run(ID_EDIT_UNDO))),
         lengthIs(60)},
        {ID_FILE_SAVE, kNothing, [](W& w) { w.Doc().File()->SetByte(0, 0, 0x41); },
         [](W& w) { return !w.Doc().File()->HasPending() && !w.Doc().IsModified(); }},
        {ID_NEXT_PANE, nullptr, kNothing, [](W& w) { return w.view->Input().ActivePane() == 0; }},
        {ID_PREV_PANE, nullptr, kNothing, [](W& w) { return w.view->Input().ActivePane() == 0; }},
    };
}

} // namespace

TEST_P(CommandWalk, FollowsItsRule) {
    const Walk walk = Walks()[std::get<0>(GetParam())];
    const bool on = std::get<1>(GetParam());
    if (!on) {
        if (!walk.off) GTEST_SKIP() << "no rule";
        walk.off(*this);
        EXPECT_FALSE(Frame().CommandState(walk.id).enabled);
        const OOffset length = Length();
        const OOffset caret = Caret();
        const OOffset selection = Doc().Selection().Length();
        const std::size_t markers = Doc().Markers().Count();
        EXPECT_FALSE(Frame().ExecuteCommand(walk.id));
        EXPECT_EQ(Length(), length);
        EXPECT_EQ(Caret(), caret);
        EXPECT_EQ(Doc().Selection().Length(), selection);
        EXPECT_EQ(Doc().Markers().Count(), markers);
        EXPECT_EQ(dialogs, 0);
        return;
    }
    walk.on(*this);
    EXPECT_TRUE(Frame().CommandState(walk.id).enabled);
    EXPECT_TRUE(Frame().ExecuteCommand(walk.id));
    EXPECT_TRUE(walk.check(*this));
}

std::string WalkName(const ::testing::TestParamInfo<std::tuple<std::size_t, bool>>& param) {
    const OCommandId id = Walks()[std::get<0>(param.param)].id;
    return std::to_string(static_cast<unsigned>(id)) + (std::get<1>(param.param) ? "_On" : "_Off");
}

INSTANTIATE_TEST_SUITE_P(Commands, CommandWalk,
                         ::testing::Combine(::testing::Range<std::size_t>(0, Walks().size()),
                                            ::testing::Bool()),
                         WalkName);

// Every command of the document window is walked.
TEST(CommandTable, EveryWindowCommandIsWalked) {
    std::set<OCommandId> walked;
    for (const Walk& walk : Walks())
        walked.insert(walk.id);
    for (const OCommandInfo& info : CommandTable()) {
        const bool window = info.owner == OCommandOwner::View ||
                            info.owner == OCommandOwner::Document ||
                            info.owner == OCommandOwner::ChildFrame;
        if (window) {
            EXPECT_TRUE(walked.count(info.id)) << static_cast<unsigned>(info.id);
        }
    }
}
