#pragma once

#include "platform/OClipboard.h"
#include "platform/OPlatform.h"
#include "platform/OProgress.h"

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// A platform for tests and benchmarks: answers questions from a queue and
// records every message and status text, so each message of the program can
// be asserted. Installs itself for its lifetime and restores the previous
// services afterwards.
class OScriptedPlatform : public OMessageBox,
                          public OStatusBar,
                          public OMessagePump,
                          public OFileDialogs,
                          public OProgressFactory,
                          public OClipboard {
public:
    struct ProgressWindow {
        OOffset low;
        OOffset high;
        bool cancelEnabled;
        std::vector<OOffset> positions;
    };

    struct Message {
        std::string text;
        OButtons buttons;
        OIcon icon;
        OAnswer answer;
    };

    OScriptedPlatform();
    ~OScriptedPlatform() override;
    OScriptedPlatform(const OScriptedPlatform&) = delete;
    OScriptedPlatform& operator=(const OScriptedPlatform&) = delete;

    // The next question gets this answer; without one queued, questions
    // answer No (or Cancel, or OK for a plain message).
    void Answer(OAnswer answer) { m_answers.push_back(answer); }
    void AnswerSaveFileName(std::optional<std::string> path) {
        m_saveNames.push_back(std::move(path));
    }

    const std::vector<Message>& Messages() const { return m_messages; }
    std::vector<std::string> MessageTexts() const;
    const std::vector<std::string>& StatusHistory() const { return m_statusHistory; }
    int PumpCount() const { return m_pumps; }
    // Every progress window opened, in order.
    const std::vector<ProgressWindow>& ProgressWindows() const { return m_progress; }
    // The next progress windows report Cancel from their n-th SetPos on
    // (counted over all windows from now; 0 never).
    void CancelAtProgressStep(int n) {
        m_cancelAt = n;
        m_steps = 0;
    }
    // Runs at every pump, as if the user did something while work runs.
    void OnPump(std::function<void()> action) { m_onPump = std::move(action); }
    // The system clipboard's text; empty optional: no text there.
    std::optional<std::string> clipboardText;
    bool clipboardFails = false;
    // Off: progress positions are not kept, so that a benchmark's memory
    // is the program's and not this record's.
    bool keepPositions = true;
    void Clear();

    OAnswer Show(const std::string& text, OButtons buttons, OIcon icon) override;
    std::string Text() const override { return m_status; }
    void SetText(const std::string& text) override;
    void Pump() override;
    std::optional<std::string> AskSaveFileName() override;
    std::unique_ptr<OProgress> Create(OOffset low, OOffset high, bool cancelEnabled) override;
    bool PutText(const std::string& utf8) override;
    std::optional<std::string> GetText() override;

private:
    OPlatformServices m_previous;
    std::deque<OAnswer> m_answers;
    std::deque<std::optional<std::string>> m_saveNames;
    std::vector<Message> m_messages;
    std::vector<std::string> m_statusHistory;
    std::string m_status;
    int m_pumps = 0;
    std::vector<ProgressWindow> m_progress;
    int m_cancelAt = 0;
    int m_steps = 0;
    std::function<void()> m_onPump;

    friend class OScriptedProgress;
};
