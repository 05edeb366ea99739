#pragma once

#include "markers/OMarkerDialogs.h"

#include <functional>

class QWidget;

// The marker dialogs as windows: the marker list and the marker edit
// dialog, modal over the window that parent() names when they open.
class OQtMarkerDialogs : public OMarkerDialogs {
public:
    // parent gives the window to open over; by default the active window.
    explicit OQtMarkerDialogs(std::function<QWidget*()> parent = {});
    virtual ~OQtMarkerDialogs() = default;

    std::optional<std::size_t> ChooseRange(const OMarkerRows& rows, OCommandId command) override;
    bool EditRange(ORange& range) override;

private:
    QWidget* Parent() const;

    std::function<QWidget*()> m_parent;
};
