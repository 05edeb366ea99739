#pragma once

#include "document/OMoveExecutor.h"
#include "platform/OProgress.h"

#include <functional>
#include <utility>

// A search's block moves: the view map and the progress follow each block;
// only a move that may stop at the user's Cancel takes a progress window.
class OPassObserver final : public OMoveObserver {
public:
    using Map = std::function<void(const OMoveStep&, OOffset)>;
    OPassObserver(Map map, OProgress* cancel) : m_map(std::move(map)), m_cancel(cancel) {}
    void Reached(const OMoveStep& step, OOffset moved) override { m_map(step, moved); }
    bool CancelRequested() override { return m_cancel && m_cancel->Cancelled(); }

private:
    Map m_map;
    OProgress* m_cancel;
};
