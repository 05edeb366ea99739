#include "view/OMarkerJump.h"

#include "document/ODoc.h"
#include "document/OMarkerTargets.h"
#include "view/ORecordView.h"

namespace {

bool Jump(ORecordView& view, ODoc& doc, OOffset target) {
    if (target < 0) return false;
    view.GoToOffset(target);
    doc.UpdateAllViews();
    return true;
}

} // namespace

bool GotoNextMarker(ORecordView& view, ODoc& doc, bool wrap) {
    return Jump(view, doc, NextMarkerTarget(doc, view.Caret(), view.FileLength(), wrap));
}

bool GotoPrevMarker(ORecordView& view, ODoc& doc, bool wrap) {
    return Jump(view, doc, PrevMarkerTarget(doc, view.Caret(), view.FileLength(), wrap));
}
