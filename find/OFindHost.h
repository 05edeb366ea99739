#pragma once

#include "markers/OEdit.h"
#include "platform/OTypes.h"

#include <cstddef>
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

public: // a replace run, for undo
    // A replace run starts, before its first question or replacement.
    virtual void ReplaceStarted() {}
    // One replacement the file now holds, in ascending file order: the
    // oldLength bytes old at offset before (in the file as it was before the
    // run) became the newLength bytes now. The bytes are valid for the call.
    virtual void Replaced(OOffset before, const OByte* old, std::size_t oldLength, const OByte* now,
                          std::size_t newLength) {
        (void)before, (void)old, (void)oldLength, (void)now, (void)newLength;
    }
    // The run is over (after Edited). failed: a failure was said, and the
    // file may hold fewer replacements than were reported.
    virtual void ReplaceEnded(bool failed) { (void)failed; }

protected:
    ~OFindHost() = default;
};
