#pragma once

class ODoc;
class ORecordView;

// Goto next / previous marker of a view: the caret goes, as Goto takes it,
// to NextMarkerTarget / PrevMarkerTarget from where it stands, and every
// view of doc is updated. False, with nothing changed, when there is no
// such marker.
bool GotoNextMarker(ORecordView& view, ODoc& doc, bool wrap);
bool GotoPrevMarker(ORecordView& view, ODoc& doc, bool wrap);
