#pragma once

#include "markers/OEdit.h"
#include "platform/OTypes.h"

#include <string>

enum class OConfirmAnswer { Yes, No, All, Cancel };

// What a search takes from the document and its view.
class OFindHost {
public:
    // A match found in the confirmed replace loop, shown before the question
    // (the last-found range, the caret on it, a repaint).
    virtual void ShowMatch(OOffset offset, int length) = 0;
    // "Replace confirm" with the pattern and replacement display texts.
    virtual OConfirmAnswer ConfirmReplace(const std::string& source, const std::string& target) = 0;
    // Settles typed bytes before a replace ("Save changes to %s ?"); false
    // when the user cancelled.
    virtual bool ResolvePending() = 0;
    // A replace run changed the file's length: one edit over the span from
    // its first replacement to the end of its last (or to the end of the
    // file, when the run stopped early), once the run is over.
    virtual void Edited(const OEdit& edit) = 0;

protected:
    ~OFindHost() = default;
};
