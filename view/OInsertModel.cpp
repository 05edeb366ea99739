#include "view/OInsertModel.h"

#include "document/ODoc.h"
#include "document/OEditOps.h"
#include "platform/OFormat.h"
#include "platform/OPlatform.h"
#include "platform/OProgress.h"
#include "platform/OStatusText.h"
#include "platform/OSystem.h"
#include "res/OResourceIds.h"
#include "view/ORecordView.h"

#include <algorithm>
#include <cerrno>

std::optional<std::uint32_t> ParseInsertCount(std::string_view text) {
    std::uint64_t count = 0;
    bool valid = !text.empty();
    for (char c : text) {
        if (c < '0' || c > '9' || count > OInsertRequest::kMaxCount) {
            valid = false;
            break;
        }
        count = count * 10 + static_cast<unsigned>(c - '0');
    }
    if (valid && count >= 1 && count <= OInsertRequest::kMaxCount)
        return static_cast<std::uint32_t>(count);
    MessageBox(
        FormatId(ids::IDS_COUNT_RANGE, 1LL, static_cast<long long>(OInsertRequest::kMaxCount)),
        OButtons::Ok, OIcon::Exclamation);
    return std::nullopt;
}

OInsertPlacement PlaceInsert(const OInsertRequest& request, const ORecordView& view,
                             OOffset fileSize) {
    const OOffset caret = view.Caret();
    if (!request.records) return {caret, request.count};
    const OOffset width = view.Width();
    // After the last record there is nothing to skip: the zeros go at the end.
    const OOffset next = view.RecordStart(caret) + width;
    return {std::min(next, std::max<OOffset>(fileSize, 0)), OOffset{request.count} * width};
}

// 1. Settle typed bytes (the insertion moves the file under them); ask.
// 2. Insert the zeros; a failure has been said where it happened.
// 3. Everything over the file follows the insertion, then the caret goes
//    to the zeros and, when asked, the selection covers them.
bool InsertEmpty(ODoc& doc, ORecordView& view, const OAskInsert& ask) {
    OFile* file = doc.File();
    if (!file || doc.ReadOnly()) return false;
    if (LongOperationRunning()) {
        ShowStatus(ids::IDS_BUSY);
        return false;
    }
    if (!doc.ResolvePending()) return false;
    const std::optional<OInsertRequest> request = ask();
    bool inserted = false;
    OOffset size = 0;
    // An unreadable size has been said.
    if (request && file->TryGetSize(size)) {
        const OInsertPlacement at = PlaceInsert(*request, view, size);
        // An insertion keeps nothing for undo: it cannot be refused.
        doc.BeginChange(OUndoKind::Insert, at.position, 0, view.Caret());
        inserted = InsertZeros(*file, at.position, at.length);
        if (inserted) {
            doc.Apply({at.position, 0, at.length});
            view.GoToOffset(at.position);
            if (request->selectAfter) doc.Selection().Set(at.position, at.position + at.length - 1);
        } else if (LastError() == EINVAL) {
            // Refused before anything changed: the place is no longer in the file.
            ShowStatus(ids::IDS_OPERATION_ABORTED);
        }
        doc.EndChange(inserted, at.length, view.Caret());
    }
    // Settling may have dropped typed bytes: repaint in any case.
    doc.UpdateAllViews();
    return inserted;
}
