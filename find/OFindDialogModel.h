#pragma once

#include "find/OFindOptions.h"

#include <string>
#include <vector>

// The rules of the Find/Replace dialog, apart from its widgets: which
// controls are enabled, how the options follow each other, and how the
// histories take the texts. The form shows this state and reports clicks.
class OFindDialogModel {
public:
    OFindDialogModel(const OFindOptions& options, std::vector<std::string>& findHistory,
                     std::vector<std::string>& replaceHistory, bool readOnly,
                     bool selectionAvailable, bool clipboardHasData);

    const OFindOptions& Options() const { return m_options; }
    std::vector<std::string>& FindHistory() { return m_findHistory; }
    std::vector<std::string>& ReplaceHistory() { return m_replaceHistory; }

public: // what the controls show
    bool ReplaceFieldEnabled() const { return m_options.replace; }
    bool ReplaceCheckEnabled() const { return !m_readOnly && !m_options.countOnly; }
    bool UpEnabled() const { return !m_options.replace; }
    bool SelectionEnabled() const { return m_selectionAvailable; }
    bool DotDotEnabled() const { return m_clipboardHasData; }

public: // what the user does
    void SetReplace(bool on);
    void SetCountOnly(bool on);
    void SetMatchCase(bool on) { m_options.matchCase = on; }
    void SetFromBeginEnd(bool on) { m_options.fromBeginEnd = on; }
    void SetDown(bool down);
    void SetSelectionOnly(bool on);
    void ClearHistories();
    // OK: both texts go to the front of their histories (an equal entry
    // moves there, case-sensitively), also when empty or unused.
    void Accept(const std::string& findText, const std::string& replaceText);

    // Cancel: direction, area, replace and count only stay as clicked; the
    // rest stays as it was before the dialog.
    OFindOptions KeptOnCancel(const OFindOptions& before) const;

    static void EnterHistory(std::vector<std::string>& history, const std::string& text);

private:
    void ApplyDirectionRule();

    OFindOptions m_options;
    std::vector<std::string>& m_findHistory;
    std::vector<std::string>& m_replaceHistory;
    bool m_readOnly;
    bool m_selectionAvailable;
    bool m_clipboardHasData;
};
