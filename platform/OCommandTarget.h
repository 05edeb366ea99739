#pragma once

#include "res/OResourceIds.h"

#include <span>
#include <string>

// The state an update handler gives a command's menu item and button.
struct OCmdUI {
    bool enabled = true;
    bool checked = false;
    // The item's text when the handler names it (with '&' and "\t" as the
    // menus have them); empty keeps the menu's own.
    std::string text = {};
};

// One link of the command chain: active view, its document, the child frame,
// the main frame, the application.
class OCommandTarget {
public:
    virtual ~OCommandTarget() = default;
    // Runs command id when this target handles it; returns whether it did.
    virtual bool OnCommand(OCommandId id) = 0;
    // When this target handles id: applies its update rule to ui (which
    // starts enabled and unchecked) and returns true.
    virtual bool OnUpdateCommand(OCommandId id, OCmdUI& ui) = 0;
};

// Offers id to each target in order; the first that handles it runs it.
bool RouteCommand(std::span<OCommandTarget* const> chain, OCommandId id);
// The update state from the first target that handles id; a command that no
// target handles is disabled.
OCmdUI RouteUpdate(std::span<OCommandTarget* const> chain, OCommandId id);
