#include "find/OFindDialogModel.h"

#include <algorithm>

OFindDialogModel::OFindDialogModel(const OFindOptions& options,
                                   std::vector<std::string>& findHistory,
                                   std::vector<std::string>& replaceHistory, bool readOnly,
                                   bool selectionAvailable, bool clipboardHasData)
    : m_options(options), m_findHistory(findHistory), m_replaceHistory(replaceHistory),
      m_readOnly(readOnly), m_selectionAvailable(selectionAvailable),
      m_clipboardHasData(clipboardHasData) {
    if (m_readOnly) m_options.replace = false;
    if (m_options.countOnly) m_options.replace = false;
    if (!m_selectionAvailable) m_options.selectionOnly = false;
    ApplyDirectionRule();
}

void OFindDialogModel::ApplyDirectionRule() {
    // A replace runs down the file only.
    if (m_options.replace) m_options.down = true;
}

void OFindDialogModel::SetReplace(bool on) {
    if (!ReplaceCheckEnabled()) return;
    m_options.replace = on;
    ApplyDirectionRule();
}

void OFindDialogModel::SetCountOnly(bool on) {
    m_options.countOnly = on;
    if (on) m_options.replace = false;
    ApplyDirectionRule();
}

void OFindDialogModel::SetDown(bool down) {
    if (!down && !UpEnabled()) return;
    m_options.down = down;
}

void OFindDialogModel::SetSelectionOnly(bool on) {
    m_options.selectionOnly = on && m_selectionAvailable;
}

void OFindDialogModel::ClearHistories() {
    m_findHistory.clear();
    m_replaceHistory.clear();
}

void OFindDialogModel::EnterHistory(std::vector<std::string>& history, const std::string& text) {
    std::erase(history, text);
    history.insert(history.begin(), text);
}

void OFindDialogModel::Accept(const std::string& findText, const std::string& replaceText) {
    EnterHistory(m_findHistory, findText);
    EnterHistory(m_replaceHistory, replaceText);
}

OFindOptions OFindDialogModel::KeptOnCancel(const OFindOptions& before) const {
    OFindOptions kept = before;
    kept.down = m_options.down;
    kept.selectionOnly = m_options.selectionOnly;
    kept.replace = m_options.replace;
    kept.countOnly = m_options.countOnly;
    return kept;
}
