#pragma once

#include "document/ODocSearch.h"
#include "document/OTransferBuffer.h"
#include "find/OFindOptions.h"
#include "find/OMatcher.h"
#include "find/OPattern.h"
#include "find/OViewMap.h"
#include "markers/OEdit.h"
#include "platform/OProgress.h"
#include "platform/OStatusText.h"
#include "platform/OTypes.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class OFile;
struct OMoveStep;

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

// One document's search: the last pattern, replacement and options, the
// position of the last match, and the work buffer the file is scanned
// through in blocks. Results are file offsets, -1 for none; messages and
// status texts are shown here. The buffer is never used after the file
// changed underneath (its generation is checked).
class OFindState final : public ODocSearch {
public:
    // The Find/Replace command once the dialog said OK: findText and
    // replaceText as typed (UTF-8), the area from the caret and the
    // selection ([selectionBegin, selectionEnd], -1 when empty).
    OOffset Run(OFile& file, const std::string& findText, const std::string& replaceText,
                const OFindOptions& options, OOffset caret, OOffset selectionBegin,
                OOffset selectionEnd, bool oem, OFindHost& host);
    // F3 and F2: the last pattern again, from the last match.
    OOffset FindNext(OFile& file, OFindHost& host);
    OOffset FindPrev(OFile& file, OFindHost& host);

    bool CanFindNext() const { return m_canFindNext; }
    bool CanFindPrev() const { return m_canFindPrev; }
    // Toggling the view's OEM characters makes the prepared pattern wrong.
    void ClearCanFind() { m_canFindNext = m_canFindPrev = false; }
    void CodePageChanged() override { ClearCanFind(); }
    // The length the last-found range takes.
    int MatchLength() const { return m_matchLength; }
    OOffset LastFound() const { return m_lastFound; }
    const OFindOptions& Options() const { return m_options; }
    // The options a cancelled dialog leaves for the next one.
    void KeepOptions(const OFindOptions& options) { m_options = options; }

public: // the view's reads while a replace loop has replacements in the buffer
    bool Attached() const override { return m_attached; }
    OOffset ViewLength(OFile& file) const override;
    // -1 when [offset, offset + count) lies before the buffer window, where
    // the file reads as itself; otherwise the bytes the view sees there:
    // the buffer's, and behind it the file's at their shifted offsets.
    std::ptrdiff_t ReadThrough(OFile& file, OOffset offset, OByte* out,
                               std::size_t count) const override;

public: // tests
    // Caps the work buffer, so small files still cross many blocks (at
    // least 256 bytes stay).
    static void SetBufferLimitForTesting(std::size_t bytes);
    // The next replacement finds the guard behind the work buffer changed.
    void DamageGuardForTesting() { m_buffer.DamageGuardForTesting(); }

private:
    // The implementation's own members follow.
    OMatcher m_matcher;
    OFindOptions m_options;
    OPattern m_pattern;
    OPattern m_replacement;
    bool m_canFindNext = false;
    bool m_canFindPrev = false;
    bool m_attached = false;
    int m_matchLength = 0;
    OOffset m_lastFound = -1;
    OOffset m_origin = -1;

    enum class Mode { Find, Replace, Count };
    enum class Scan { Found, NotFound, Cancelled, Failed };
    struct Totals {
        std::uint64_t found = 0;
        std::uint64_t replaced = 0;
        OOffset lastMatch = -1;
    };
    // Where the stream of a Replace All stands: the result is written up to
    // write, the input not yet taken starts at read and ends at end.
    struct Stream {
        OOffset write = 0;
        OOffset read = 0;
        OOffset end = 0;
    };

    OOffset SearchRun(OFile& file, OFindHost& host, OOffset start, bool replace, bool down);
    template <class Visit> Scan ScanBlocks(OFile& file, OOffset start, bool down, Visit&& visit);
    Scan Search(OFile& file, OOffset start, bool down, bool replace, OOffset& found);
    void CountRun(OFile& file, OOffset start, bool down);
    OOffset ReplaceLoop(OFile& file, OFindHost& host, OOffset start);
    void ReportEdit(OFile& file, OFindHost& host, OOffset sizeBefore, OOffset firstReplaced,
                    OOffset endAfter);

    bool RequestBuffer(Mode mode);
    void ReleaseBuffer();
    bool Holds(const OFile& file, OOffset from, OOffset to) const;
    bool Load(OFile& file, OOffset offset, OOffset end);
    std::size_t SearchLimit() const;
    bool AtAreaEnd() const;
    bool WriteBack(OFile& file);
    bool TakeReplacements(OFile& file);
    bool WriteRegion(OFile& file, OOffset at, OOffset oldLength, const OByte* bytes,
                     std::size_t length);
    bool ReplaceInBuffer(OFile& file, std::size_t index);
    bool TakeFileSize(OFile& file);
    void MapBuffer();
    void ShowProcessing();
    bool CheckGuard();

    // Replace All of another length, once confirmation is off.
    bool ReplaceRest(OFile& file, std::size_t index, Totals& totals, bool& cancelled);
    bool ShrinkRest(OFile& file, OOffset at, const OByte* pending, std::size_t pendingLength,
                    OOffset input, OOffset areaEnd, Totals& totals, bool& cancelled);
    bool GrowRest(OFile& file, OOffset at, const OByte* pending, std::size_t pendingLength,
                  OOffset input, OOffset areaEnd, Totals& totals, bool& cancelled);
    std::optional<std::uint64_t> CountRest(OFile& file, OOffset from, OOffset areaEnd,
                                           bool& cancelled);
    bool MoveTailUp(OFile& file, OOffset from, OOffset size, OOffset growth, OOffset at,
                    const OByte* pending, std::size_t pendingLength, bool& cancelled);
    bool StreamReplace(OFile& file, Stream& stream, OOffset matchEnd, OOffset consumeEnd,
                       Totals& totals, bool& cancelled);
    bool CloseGap(OFile& file, OOffset to, OOffset from, OOffset end);
    void MapTailMove(OOffset at, const OByte* bytes, OOffset length, const OMoveStep& step,
                     OOffset moved);
    void MapStream(const Stream& stream);
    std::size_t Lookahead() const;
    std::size_t PassBlock() const;

    // Sizes of the block the file is scanned through, by mode, and the least
    // a failed allocation may leave.
    static constexpr std::size_t kFindSize = 524288;
    static constexpr std::size_t kReplaceSize = 16777216;
    static constexpr std::size_t kCountSize = 4194304;
    static constexpr std::size_t kMinimumSize = 65536;
    // The least a test limit leaves: room for two patterns of the longest
    // kind, so that every block still moves the scan on.
    static constexpr std::size_t kSmallestForTesting = 256;

    OTransferBuffer m_buffer;
    const OFile* m_bufferFile = nullptr; // the file the buffer was loaded from
    std::uint64_t m_generation = 0;      // of that file at the load
    bool m_bufferInvalid = true;
    bool m_bufferShort = false; // the file ended inside the block
    bool m_dirty = false;
    bool m_lastDown = true;
    bool m_prepared = false;  // the matcher holds m_pattern
    bool m_areaToEnd = false; // the area ends where the file ends
    Mode m_mode = Mode::Find;
    OOffset m_bufferOffset = 0;
    std::size_t m_bufferLength = 0;
    std::size_t m_lengthAtLoad = 0;
    std::size_t m_firstChanged = 0;
    OOffset m_fileSize = 0; // while a replace runs
    OOffset m_areaBegin = 0;
    OOffset m_areaEnd = 0;
    std::unique_ptr<OProgress> m_progress;
    std::optional<OStatusText> m_status; // "Processing ..." while a run lasts
    std::string m_processingText;
    bool m_processingShown = false;
    OViewMap m_view;
};
