#pragma once

// A window onto a document. The document knows its views only through this.
class ODocView {
public:
    virtual ~ODocView() = default;
    // The document changed: repaint completely.
    virtual void OnUpdate() = 0;
};
