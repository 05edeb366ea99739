#pragma once

#include "markers/OMarkerRows.h"
#include "markers/ORange.h"
#include "res/OResourceIds.h"

#include <cstddef>
#include <optional>

// The two marker dialogs as the commands use them. The shell shows real
// windows; tests answer in their place. Both are modal: nothing changes the
// ranges behind them while they are open.
class OMarkerDialogs {
public:
    // Offers rows (at least one) under the text of command as caption, the
    // row RowToSelect() selected and in view. The chosen row, or none for
    // Cancel or no row selected at OK.
    virtual std::optional<std::size_t> ChooseRange(const OMarkerRows& rows, OCommandId command) = 0;
    // Edits range's title (at most 255 characters) and colours; false for
    // Cancel, which leaves range as it was.
    virtual bool EditRange(ORange& range) = 0;

protected:
    ~OMarkerDialogs() = default;
};
