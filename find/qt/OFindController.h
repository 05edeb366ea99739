#pragma once

#include "find/OFindHost.h"
#include "platform/OCommandTarget.h"
#include "platform/OTypes.h"

#include <functional>
#include <string>
#include <vector>

class ODoc;
class OEditContext;
class OFinder;
class OReplaceConfirmDlg;
class QWidget;

// Find/Replace, Find next and Find previous for one window: runs the
// dialog, the search over the document's shared search state, and the
// replace confirmation, then takes the found step (the match becomes the
// last-found range and the caret goes there; no match clears it).
class OFindController final : public OCommandTarget, private OFindHost {
public:
    // What the dialog takes from the application: the two histories and
    // the clipboard store's first bytes.
    struct Services {
        std::vector<std::string>* findHistory = nullptr;
        std::vector<std::string>* replaceHistory = nullptr;
        std::function<std::vector<OByte>()> peekClipboard;
        std::function<bool()> clipboardHasData;
    };

    // view is the window's caret and code page; dialogs open over parent.
    OFindController(ODoc& doc, OEditContext& view, Services services, QWidget* parent);

    bool OnCommand(OCommandId id) override;
    bool OnUpdateCommand(OCommandId id, OCmdUI& ui) override;

private:
    OFinder& Finder();
    void FindReplace();
    void Found(OOffset offset);

    void ShowMatch(OOffset offset, int length) override;
    OConfirmAnswer ConfirmReplace(const std::string& source, const std::string& target) override;
    bool ResolvePending() override;
    void Edited(const OEdit& edit) override;
    void ReplaceStarted() override;
    void Replaced(OOffset before, const OByte* old, std::size_t oldLength, const OByte* now,
                  std::size_t newLength) override;
    void ReplaceEnded(bool failed) override;

    ODoc& m_doc;
    OEditContext& m_view;
    Services m_services;
    QWidget* m_parent;
    OReplaceConfirmDlg* m_confirm = nullptr; // during a replace run
};
