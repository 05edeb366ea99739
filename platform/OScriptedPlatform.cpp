#include "platform/OScriptedPlatform.h"

OScriptedPlatform::OScriptedPlatform() : m_previous(Platform()) {
    SetPlatform(OPlatformServices{this, this, this, this});
}

OScriptedPlatform::~OScriptedPlatform() {
    SetPlatform(m_previous);
}

std::vector<std::string> OScriptedPlatform::MessageTexts() const {
    std::vector<std::string> texts;
    for (const Message& m : m_messages)
        texts.push_back(m.text);
    return texts;
}

void OScriptedPlatform::Clear() {
    m_messages.clear();
    m_statusHistory.clear();
    m_answers.clear();
    m_pumps = 0;
}

OAnswer OScriptedPlatform::Show(const std::string& text, OButtons buttons, OIcon icon) {
    OAnswer answer;
    if (!m_answers.empty()) {
        answer = m_answers.front();
        m_answers.pop_front();
    } else {
        switch (buttons) {
        case OButtons::Ok:
            answer = OAnswer::Ok;
            break;
        case OButtons::YesNo:
            answer = OAnswer::No;
            break;
        default:
            answer = OAnswer::Cancel;
            break;
        }
    }
    m_messages.push_back({text, buttons, icon, answer});
    return answer;
}

void OScriptedPlatform::SetText(const std::string& text) {
    m_status = text;
    m_statusHistory.push_back(text);
}

std::optional<std::string> OScriptedPlatform::AskSaveFileName() {
    if (m_saveNames.empty()) return std::nullopt;
    auto name = std::move(m_saveNames.front());
    m_saveNames.pop_front();
    return name;
}
