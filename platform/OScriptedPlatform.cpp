#include "platform/OScriptedPlatform.h"

class OScriptedProgress final : public OProgress {
public:
    OScriptedProgress(OScriptedPlatform& owner, std::size_t index)
        : m_owner(owner), m_index(index) {}
    void SetPos(OOffset position) override {
        if (m_owner.keepPositions) m_owner.m_progress[m_index].positions.push_back(position);
        ++m_owner.m_steps;
        if (m_owner.m_cancelAt > 0 && m_owner.m_steps >= m_owner.m_cancelAt &&
            m_owner.m_progress[m_index].cancelEnabled)
            m_cancelled = true;
    }
    bool Cancelled() const override { return m_cancelled; }

private:
    OScriptedPlatform& m_owner;
    std::size_t m_index;
    bool m_cancelled = false;
};

OScriptedPlatform::OScriptedPlatform() : m_previous(Platform()) {
    SetPlatform(OPlatformServices{this, this, this, this, this, this});
}

void OScriptedPlatform::Pump() {
    ++m_pumps;
    if (m_onPump) m_onPump();
}

std::unique_ptr<OProgress> OScriptedPlatform::Create(OOffset low, OOffset high,
                                                     bool cancelEnabled) {
    m_progress.push_back({low, high, cancelEnabled, {}});
    return std::make_unique<OScriptedProgress>(*this, m_progress.size() - 1);
}

bool OScriptedPlatform::PutText(const std::string& utf8) {
    if (clipboardFails) return false;
    clipboardText = utf8;
    return true;
}

std::optional<std::string> OScriptedPlatform::GetText() {
    if (clipboardFails) return std::nullopt;
    return clipboardText;
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
    m_progress.clear();
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
