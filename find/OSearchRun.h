#pragma once

#include "find/OFindHost.h"
#include "find/OFindOptions.h"
#include "find/OSearchBuffer.h"
#include "platform/OProgress.h"
#include "platform/OStatusText.h"
#include "platform/OTypes.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

class OFile;
class OFindState;

// One search command, made on the stack and gone when the command ends:
// the scans in both directions, count, find, the confirmed replace loop and
// Replace All's passes, through the document's search buffer, with the
// results left in its find state. While it lasts it marks a long operation
// and owns the progress window and the "Processing ..." status. Results
// are file offsets, -1 for none; messages and status texts are shown here.
class OSearchRun {
public:
    OSearchRun(OFindState& state, OSearchBuffer& buffer, OFile& file, OFindHost& host);
    OSearchRun(const OSearchRun&) = delete;
    OSearchRun& operator=(const OSearchRun&) = delete;

    // The Find/Replace command once the dialog said OK: findText and
    // replaceText as typed (UTF-8), the area from the caret and the
    // selection ([selectionBegin, selectionEnd], -1 when empty).
    OOffset Run(const std::string& findText, const std::string& replaceText,
                const OFindOptions& options, OOffset caret, OOffset selectionBegin,
                OOffset selectionEnd, bool oem);
    // F3 (down) and F2: the last pattern again, from the last match.
    OOffset FindAgain(bool down);

private:
    using Mode = OSearchBuffer::Mode;
    enum class Scan { Found, NotFound, Cancelled, Failed };
    // Where the stream of a Replace All stands: the result is written up to
    // write, the input not yet taken starts at read and ends at end.
    struct Stream {
        OOffset write = 0;
        OOffset read = 0;
        OOffset end = 0;
    };

    bool Request(Mode mode);
    OOffset Search(OOffset start, bool down);
    template <class Visit> Scan ScanBlocks(OOffset start, bool down, Visit&& visit);
    Scan FindFrom(OOffset start, bool down, OOffset& found);
    void Count(OOffset start, bool down);
    OOffset ReplaceLoop(OOffset start);
    void ReportEdit(OOffset sizeBefore, OOffset firstReplaced, OOffset endAfter);
    std::size_t SearchLimit() const;
    bool AtAreaEnd() const;
    void StartStatus();
    void ShowProcessing();

    // Replace All of another length, once confirmation is off.
    bool ReplaceRest(std::size_t index);
    bool ShrinkRest(const OSearchBuffer::Pending& pending, OOffset areaEnd);
    bool GrowRest(OSearchBuffer::Pending pending, OOffset areaEnd);
    std::optional<std::uint64_t> CountRest(OOffset from, OOffset areaEnd);
    bool MoveTailUp(OOffset from, OOffset size, OOffset growth, OOffset at, const OByte* pending,
                    std::size_t pendingLength);
    bool StreamReplace(Stream& stream, OOffset matchEnd, OOffset consumeEnd);
    std::size_t Lookahead() const;

    OFindState& m_state;
    OSearchBuffer& m_buffer;
    OFile& m_file;
    OFindHost& m_host;
    OLongOperation m_running;
    Mode m_mode = Mode::Find;
    std::optional<OStatusText> m_status; // "Processing ..." while a scan lasts
    std::string m_processingText;
    bool m_processingShown = false;
    std::unique_ptr<OProgress> m_progress;
    // A replace run's totals.
    std::uint64_t m_found = 0;
    std::uint64_t m_replaced = 0;
    OOffset m_lastMatch = -1;
    bool m_cancelled = false;
};
