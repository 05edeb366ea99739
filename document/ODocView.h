#pragma once

#include "markers/OEdit.h"

// A window onto a document. The document knows its views only through this.
class ODocView {
public:
    virtual ~ODocView() = default;
    // The document changed: repaint completely.
    virtual void OnUpdate() = 0;
    // The file changed its structure: positions held past edit.offset
    // follow it. The repaint comes with the command's OnUpdate.
    virtual void OnEdit(const OEdit&) {}
};
