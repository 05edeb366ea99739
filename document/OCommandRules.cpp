#include "document/OCommandRules.h"

#include "markers/OMarkerList.h"
#include "markers/ORange.h"

namespace {

bool Contains(const ORange* range, OOffset offset) {
    return range && range->Contains(offset) != 0;
}

bool NotEmpty(const ORange* range) {
    return range && !range->IsEmpty();
}

// The empty range stands in for a missing selection or last found.
const ORange& OrEmpty(const ORange* range) {
    static const ORange empty;
    return range ? *range : empty;
}

bool RangeAtCaret(const OCommandState& s) {
    return Contains(s.selection, s.caret) || (s.markers && s.markers->SmallestAt(s.caret));
}

bool CaretInFile(const OCommandState& s) {
    return s.caret >= 0 && s.caret < s.fileSize;
}

bool OffsetMarkerAtCaret(const OCommandState& s) {
    if (!s.markers) return false;
    ORange single;
    single.Set(s.caret, s.caret);
    return s.markers->IndexOf(single) >= 0;
}

} // namespace

bool Holds(OCondition condition, const OCommandState& s) {
    switch (condition) {
    case OCondition::None:
        return true;
    case OCondition::HasData:
        return s.fileSize > 0;
    case OCondition::CaretInFile:
        return CaretInFile(s);
    case OCondition::Writable:
        return s.writable;
    case OCondition::HasSelection:
        return NotEmpty(s.selection);
    case OCondition::RangeAtCaret:
        return RangeAtCaret(s);
    case OCondition::CopyOK:
        return RangeAtCaret(s) || NotEmpty(s.selection);
    case OCondition::ClipOK:
        return s.clipValid;
    case OCondition::MarkerAfter:
        return s.markers && s.markers->NextBegin(s.caret, OrEmpty(s.selection),
                                                 OrEmpty(s.lastFound), s.markerJumpWrap) != -1;
    case OCondition::MarkerBefore:
        return s.markers && s.markers->PrevBegin(s.caret, s.fileSize, OrEmpty(s.selection),
                                                 OrEmpty(s.lastFound), s.markerJumpWrap) != -1;
    case OCondition::HasMarkers:
        return s.markers && !s.markers->Empty();
    case OCondition::AnyRange:
        return NotEmpty(s.selection) || NotEmpty(s.lastFound) || (s.markers && !s.markers->Empty());
    case OCondition::AddMarkerOK:
        return CaretInFile(s) && (NotEmpty(s.selection) || Contains(s.lastFound, s.caret));
    case OCondition::AddOffsetMarkerOK:
        return CaretInFile(s) && !OffsetMarkerAtCaret(s);
    case OCondition::Modified:
        return s.modified;
    case OCondition::CanFindNext:
        return s.canFindNext;
    case OCondition::CanFindPrev:
        return s.canFindPrev;
    case OCondition::CanUndo:
        return s.canUndo;
    case OCondition::CanRedo:
        return s.canRedo;
    }
    return false;
}

OCmdUI Evaluate(const OCommandInfo& command, const OCommandState& s) {
    OCmdUI ui;
    for (std::uint32_t bit = 1; bit != 0; bit <<= 1) {
        const auto condition = static_cast<OCondition>(bit);
        if (Has(command.enable, condition) && !Holds(condition, s)) ui.enabled = false;
    }
    switch (command.check) {
    case OCheck::None:
        break;
    case OCheck::OffsetPane:
        ui.checked = s.offsetPane;
        break;
    case OCheck::HexPane:
        ui.checked = s.hexPane;
        break;
    case OCheck::TextPane:
        ui.checked = s.textPane;
        break;
    case OCheck::FitRecord:
        ui.checked = s.fitRecord;
        break;
    case OCheck::HexBase:
        ui.checked = s.hexBase;
        break;
    case OCheck::OemCharacters:
        ui.checked = s.oemCharacters;
        break;
    case OCheck::SyncScroll:
        ui.checked = s.syncScroll && s.fileSize > 0;
        break;
    case OCheck::Writable:
        ui.checked = s.writable;
        break;
    case OCheck::ReadOnly:
        ui.checked = !s.writable;
        break;
    case OCheck::RecordOffsetMode:
        ui.checked = s.offsetMode == 1;
        break;
    case OCheck::TrackOffsetMode:
        ui.checked = s.offsetMode == 2;
        break;
    case OCheck::RecordNumberMode:
        ui.checked = s.offsetMode == 3;
        break;
    case OCheck::TooltipUnderOffset:
        ui.checked = s.tooltipUnderOffset;
        break;
    }
    return ui;
}
