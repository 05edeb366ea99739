#pragma once

#include "platform/OTypes.h"

// What the document's edit commands and the search take from the active
// view: where the caret is and how the view shows text. Set by the shell for
// the command being routed.
class OEditContext {
public:
    virtual OOffset CaretOffset() const = 0;
    // The view shows the text pane in the OEM code page.
    virtual bool OemCharacters() const = 0;
    // Shift is down: copy and paste go through the system clipboard as text.
    virtual bool ShiftHeld() const = 0;
    // After an edit or a match: the caret goes there and the view shows it.
    virtual void MoveCaretAfterEdit(OOffset offset) = 0;

protected:
    ~OEditContext() = default;
};
