#pragma once

#include "platform/OClipboard.h"
#include "platform/OPlatform.h"
#include "platform/OProgress.h"
#include "platform/OThrottle.h"

#include <functional>

class QLabel;
class QWidget;

// The desktop services over Qt. The status text goes to a label that the
// main frame puts first in its status bar, so a message stays until the
// next one replaces it. Pump() dispatches events at most once per
// kProgressPace (a call in between returns at once); a new progress window
// and a progress window that appears make the next call dispatch, so the
// window shows and a Cancel waiting for it is seen.
class OQtPlatform : public OMessageBox,
                    public OStatusBar,
                    public OMessagePump,
                    public OFileDialogs,
                    public OProgressFactory,
                    public OClipboard {
public:
    // now: the time source of the pump and the progress windows, the steady
    // clock unless a test gives its own.
    explicit OQtPlatform(std::function<OThrottle::Clock::time_point()> now = {});
    ~OQtPlatform() override;
    OQtPlatform(const OQtPlatform&) = delete;
    OQtPlatform& operator=(const OQtPlatform&) = delete;

    void SetWindow(QWidget* window) { m_window = window; }
    void SetStatusLabel(QLabel* label) { m_label = label; }

    OAnswer Show(const std::string& text, OButtons buttons, OIcon icon) override;
    std::string Text() const override;
    void SetText(const std::string& text) override;
    void Pump() override;
    std::optional<std::string> AskSaveFileName() override;
    std::unique_ptr<OProgress> Create(OOffset low, OOffset high, bool cancelEnabled) override;
    bool PutText(const std::string& utf8) override;
    std::optional<std::string> GetText() override;

private:
    QWidget* m_window = nullptr;
    QLabel* m_label = nullptr;
    OPlatformServices m_previous;
    std::function<OThrottle::Clock::time_point()> m_now;
    OThrottle m_pump;
};
