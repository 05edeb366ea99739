#pragma once

#include "platform/OCommandTarget.h"

#include <vector>

class OView;

// What a view takes from the program around it, given at construction. The
// program implements it and outlives every view it is given to. A view
// without a host scrolls alone, offers its context menus' commands disabled
// and wraps marker jumps by its own setting.
class OViewHost {
public:
    // The views of the other windows; those scrolling in step move with view.
    virtual std::vector<OView*> PeerViews(const OView& view) = 0;
    // Runs a command along the whole chain, and asks for its update state:
    // the context menus go through the same rules as the menu bar.
    virtual void RunCommand(OCommandId id) = 0;
    virtual OCmdUI CommandState(OCommandId id) = 0;
    // The program-wide marker-jump wrap setting, read at each jump.
    virtual bool MarkerJumpWrap() const = 0;
    // The program-wide "tooltip under offset" setting, read at each tip:
    // whether byte cells show their values. Without a host they do not.
    virtual bool TooltipUnderOffset() const = 0;

protected:
    ~OViewHost() = default;
};
