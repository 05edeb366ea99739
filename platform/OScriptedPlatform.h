#pragma once

#include "platform/OPlatform.h"

#include <deque>
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
                          public OFileDialogs {
public:
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
    void Clear();

    OAnswer Show(const std::string& text, OButtons buttons, OIcon icon) override;
    std::string Text() const override { return m_status; }
    void SetText(const std::string& text) override;
    void Pump() override { ++m_pumps; }
    std::optional<std::string> AskSaveFileName() override;

private:
    OPlatformServices m_previous;
    std::deque<OAnswer> m_answers;
    std::deque<std::optional<std::string>> m_saveNames;
    std::vector<Message> m_messages;
    std::vector<std::string> m_statusHistory;
    std::string m_status;
    int m_pumps = 0;
};
