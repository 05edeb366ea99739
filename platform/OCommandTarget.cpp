#include "platform/OCommandTarget.h"

bool RouteCommand(std::span<OCommandTarget* const> chain, OCommandId id) {
    for (OCommandTarget* target : chain) {
        if (target && target->OnCommand(id)) return true;
    }
    return false;
}

OCmdUI RouteUpdate(std::span<OCommandTarget* const> chain, OCommandId id) {
    for (OCommandTarget* target : chain) {
        OCmdUI ui;
        if (target && target->OnUpdateCommand(id, ui)) return ui;
    }
    return OCmdUI{false, false};
}
