#pragma once

#include "platform/OTypes.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

class ODoc;
class ORecordView;

// What the Insert dialog answers: count empty bytes, or count empty
// records, at the caret.
struct OInsertRequest {
    static constexpr std::uint32_t kMaxCount = 4294967295u;

    std::uint32_t count = 1; // 1 to kMaxCount
    bool records = false;
    bool selectAfter = false;
};

// The count field's text as a count: decimal digits, 1 to kMaxCount.
// Anything else shows the range message and gives none.
std::optional<std::uint32_t> ParseInsertCount(std::string_view text);

// Where the zeros go and how many: bytes at the caret; records at the start
// of the record after the caret's (with the view's phase), which past the
// end of a file of fileSize bytes is its end.
struct OInsertPlacement {
    OOffset position = 0;
    OOffset length = 0;
};
OInsertPlacement PlaceInsert(const OInsertRequest& request, const ORecordView& view,
                             OOffset fileSize);

// The Insert command of the view whose geometry is view: settles typed
// bytes, asks (none: Cancel), inserts zeros through the block-move engine
// and puts the caret at them, selecting them when asked. Ends without a
// change when the document is read-only, another operation runs (said),
// the user cancels, or the insertion fails (said where it failed; the file
// is left as it was). Every view of doc repaints afterwards. True when the
// zeros were inserted.
using OAskInsert = std::function<std::optional<OInsertRequest>()>;
bool InsertEmpty(ODoc& doc, ORecordView& view, const OAskInsert& ask);
