// Replace All with a replacement of another length. Moving the file's tail
// once per search block would make a large file quadratic; once the user
// has chosen All, the rest of the run takes a bounded number of passes over
// the file and leaves the same bytes and totals as the buffered loop.
#include "document/OFile.h"
#include "document/OMoveExecutor.h"
#include "document/OMovePlan.h"
#include "find/OFindState.h"
#include "find/OPassObserver.h"
#include "find/OSearchRun.h"
#include "platform/OOffsetFormat.h"
#include "platform/OPlatform.h"
#include "platform/OStatusText.h"
#include "platform/OSystem.h"
#include "res/OResourceIds.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

struct OFreeBytes {
    void operator()(OByte* bytes) const { std::free(bytes); }
};
using OHeldBytes = std::unique_ptr<OByte, OFreeBytes>;

} // namespace

// 1. The buffer's window ends behind the replacement just made: what
//    follows is input not yet searched, still in the file.
// 2. The buffer's replacements are the result's bytes from where they start.
// 3. Shrinking takes one forward pass; growing counts, moves the tail up
//    once and then takes one forward pass.
bool OSearchRun::ReplaceRest(std::size_t index) {
    const OFindState& s = m_state;
    OSearchBuffer::Pending pending;
    // From here the passes own the buffer's replacements.
    if (!m_buffer.HandOver(m_file, index + static_cast<std::size_t>(s.m_replacement.length),
                           pending))
        return false;
    // The area's end in the file's offsets, where the input still lies.
    const OOffset areaEnd =
        s.m_areaEnd - (pending.at + static_cast<OOffset>(pending.length)) + pending.input;
    if (s.m_replacement.length < s.m_matcher.Length()) return ShrinkRest(pending, areaEnd);
    return GrowRest(pending, areaEnd);
}

// 1. The buffer's replacements go where they start; they end before the
//    input, so no byte still to be read is touched.
// 2. One forward pass writes the rest of the result behind them.
// 3. The file is cut where the result ends (after a Cancel: the rest of the
//    input moves down behind what was replaced).
bool OSearchRun::ShrinkRest(const OSearchBuffer::Pending& pending, OOffset areaEnd) {
    if (!WriteBlock(pending.bytes, m_file, pending.at, pending.length)) return false;
    Stream stream{pending.at + static_cast<OOffset>(pending.length), pending.input,
                  m_buffer.FileSize()};
    if (!StreamReplace(stream, areaEnd, stream.end)) return false;
    return m_buffer.CloseGap(m_file, stream.write, stream.read, stream.end);
}

// 1. The buffer's replacements are kept aside: they need room that only the
//    move makes.
// 2. Pass 1 counts the matches still to come, so the growth is known.
// 3. Pass 2 reserves the new size and moves the tail up by the growth, last
//    block first.
// 4. Pass 3 writes the kept bytes, then the rest of the result forward
//    from where they start; the write position never passes the read
//    position.
// Cancel before pass 3 leaves the file as it was and writes the kept bytes
// as the buffered loop would.
bool OSearchRun::GrowRest(OSearchBuffer::Pending pending, OOffset areaEnd) {
    OOffset at = pending.at;
    OOffset input = pending.input;
    std::size_t keptLength = pending.length;
    OOffset size = m_buffer.FileSize();
    OHeldBytes kept;
    if (keptLength > 0) {
        kept.reset(static_cast<OByte*>(std::malloc(keptLength)));
        if (kept) {
            std::memcpy(kept.get(), pending.bytes, keptLength);
        } else {
            // No room to keep them: they go out now, at the cost of one move.
            if (!m_buffer.WriteRegion(m_file, at, input - at, pending.bytes, keptLength))
                return false;
            const OOffset moved = static_cast<OOffset>(keptLength) - (input - at);
            size += moved;
            areaEnd += moved;
            input = at = at + static_cast<OOffset>(keptLength);
            keptLength = 0;
        }
    }
    const OByte* held = kept.get();
    const auto writeKept = [&] {
        return m_buffer.WriteRegion(m_file, at, input - at, held, keptLength);
    };
    m_buffer.MapBytes(at, held, static_cast<OOffset>(keptLength), input, size);

    const std::optional<std::uint64_t> count = CountRest(input, areaEnd);
    if (!count) return m_cancelled && writeKept();
    const OOffset step = m_state.m_replacement.length - m_state.m_matcher.Length();
    const OOffset keptGrowth = static_cast<OOffset>(keptLength) - (input - at);
    if (*count > static_cast<std::uint64_t>((kOffsetMax - size - keptGrowth) / step)) {
        SetLastError(EFBIG);
        return m_file.ShowFileError(-1);
    }
    const OOffset growth = keptGrowth + static_cast<OOffset>(*count) * step;
    if (growth == 0) return true;
    if (!MoveTailUp(input, size, growth, at, held, keptLength)) return m_cancelled && writeKept();

    if (!WriteBlock(held, m_file, at, keptLength)) {
        // The old bytes under the kept replacements are still in place.
        m_buffer.CloseGap(m_file, input, input + growth, size + growth);
        return false;
    }
    kept.reset();
    Stream stream{at + static_cast<OOffset>(keptLength), input + growth, size + growth};
    if (!StreamReplace(stream, areaEnd + growth, areaEnd + growth)) return false;
    return m_buffer.CloseGap(m_file, stream.write, stream.read, stream.end);
}

// Pass 1: the matches a scan from `from` finds when each search resumes
// behind the last match, nothing changed. None after a failure or Cancel.
std::optional<std::uint64_t> OSearchRun::CountRest(OOffset from, OOffset areaEnd) {
    const OMatcher& matcher = m_state.m_matcher;
    const auto length = static_cast<std::size_t>(matcher.Length());
    const auto capacity = static_cast<OOffset>(m_buffer.PassBlock());
    OByte* data = m_buffer.Data();
    std::uint64_t count = 0;
    OOffset position = from;
    while (areaEnd - position >= static_cast<OOffset>(length)) {
        m_progress->SetPos(std::clamp(position, m_state.m_areaBegin, m_state.m_areaEnd));
        PumpMessages();
        if (m_progress->Cancelled()) {
            ShowStatus(ids::IDS_FIND_CANCELED, MessageHex(from).c_str());
            m_cancelled = true;
            return std::nullopt;
        }
        const auto n = static_cast<std::size_t>(std::min(capacity, areaEnd - position));
        if (!ReadExactly(m_file, position, data, n) || !m_buffer.CheckGuard()) return std::nullopt;
        std::size_t taken = 0;
        while (n >= taken + length) {
            const std::ptrdiff_t p = matcher.SearchForward(data, n, taken);
            if (p < 0) break;
            ++count;
            taken = static_cast<std::size_t>(p) + length;
        }
        if (position + static_cast<OOffset>(n) >= areaEnd) break;
        position += static_cast<OOffset>(std::max(taken, n - length + 1));
    }
    return count;
}

// The tail [from, size) moves growth bytes up, last block first; Cancel or
// a failure moves what has moved back down: the file is as it was.
bool OSearchRun::MoveTailUp(OOffset from, OOffset size, OOffset growth, OOffset at,
                            const OByte* pending, std::size_t pendingLength) {
    const OPlanResult planned = PlanResize(size, m_file.FixedSize(), from, 0, growth);
    if (!planned.plan) return ShowRefusal(m_file, planned.refusal);
    const OOffset areaBegin = m_state.m_areaBegin;
    const OOffset areaEnd = m_state.m_areaEnd;
    OPassObserver observer(
        [&](const OMoveStep& step, OOffset moved) {
            if (step.backward) {
                m_buffer.MapTailMove(at, pending, static_cast<OOffset>(pendingLength), step, moved);
                m_progress->SetPos(std::clamp(step.from + step.length - moved, areaBegin, areaEnd));
            } else {
                m_buffer.MapStream(step.to + moved, step.from + moved, step.from + step.length);
            }
        },
        m_progress.get());
    OMoveExecutor executor(m_file, {m_buffer.Data(), m_buffer.PassBlock()}, observer, true);
    if (executor.Run(*planned.plan)) return true;
    if (executor.Cancelled()) {
        ShowStatus(ids::IDS_FIND_CANCELED,
                   MessageHex(at + static_cast<OOffset>(pendingLength)).c_str());
        m_cancelled = true;
    }
    return false;
}

// 1. Input in blocks of half the buffer from stream.read, reaching to the
//    end of the file, so that a wildcard behind a match sees its byte.
// 2. Matches inside matchEnd, each search behind the last match; a match
//    whose wildcards look past the block waits for the next block.
// 3. Output gathers in the other half and goes to stream.write; a write
//    never reaches input not yet read.
// 4. Cancel stops between blocks (the caller closes the gap). A failed
//    write puts back the input taken since the last write, as it was read,
//    and closes the gap: every match holds its old or its new bytes.
bool OSearchRun::StreamReplace(Stream& stream, OOffset matchEnd, OOffset consumeEnd) {
    const OMatcher& matcher = m_state.m_matcher;
    const OPattern& replacement = m_state.m_replacement;
    const std::size_t half = std::min(m_buffer.PassBlock(), m_buffer.Size() / 2);
    OByte* in = m_buffer.Data();
    OByte* out = in + half;
    const auto patternLength = static_cast<std::size_t>(matcher.Length());
    const auto replacementLength = static_cast<std::size_t>(replacement.length);
    const std::size_t lookahead = Lookahead();
    while (stream.read < consumeEnd) {
        m_buffer.MapStream(stream.write, stream.read, stream.end);
        m_progress->SetPos(std::clamp(stream.write, m_state.m_areaBegin, m_state.m_areaEnd));
        PumpMessages();
        if (m_progress->Cancelled()) {
            ShowStatus(ids::IDS_FIND_CANCELED, MessageHex(stream.write).c_str());
            m_cancelled = true;
            return true;
        }
        const auto n = static_cast<std::size_t>(
            std::min(static_cast<OOffset>(half), stream.end - stream.read));
        if (!ReadExactly(m_file, stream.read, in, n) || !m_buffer.CheckGuard()) {
            m_buffer.CloseGap(m_file, stream.write, stream.read, stream.end);
            return false;
        }
        const bool atEnd = stream.read + static_cast<OOffset>(n) == stream.end;
        const bool lastMatches = stream.read + static_cast<OOffset>(n) >= matchEnd;
        const std::size_t matchLimit =
            matchEnd > stream.read ? static_cast<std::size_t>(
                                         std::min(static_cast<OOffset>(n), matchEnd - stream.read))
                                   : 0;
        const auto consumeLimit =
            static_cast<std::size_t>(std::min(static_cast<OOffset>(n), consumeEnd - stream.read));

        std::size_t taken = 0;       // input used, as an index into the block
        std::size_t flushedFrom = 0; // input behind the output not yet written
        std::size_t outLength = 0;
        const auto flush = [&] {
            if (outLength == 0) return true;
            // Only a file changed under the run can make the result outrun
            // its input: the count of pass 1 would no longer hold.
            if (stream.write + static_cast<OOffset>(outLength) >
                stream.read + static_cast<OOffset>(taken)) {
                MessageBoxId(ids::IDS_OPERATION_ABORTED, OButtons::Ok, OIcon::Stop);
                return false;
            }
            if (!WriteBlock(out, m_file, stream.write, outLength)) return false;
            stream.write += static_cast<OOffset>(outLength);
            outLength = 0;
            flushedFrom = taken;
            return true;
        };
        const auto copy = [&](std::size_t to) {
            while (taken < to) {
                if (outLength == half && !flush()) return false;
                const std::size_t c = std::min(to - taken, half - outLength);
                std::memcpy(out + outLength, in + taken, c);
                outLength += c;
                taken += c;
            }
            return true;
        };

        bool ok = true;
        for (;;) {
            std::ptrdiff_t p = -1;
            if (matchLimit >= taken + patternLength)
                p = matcher.SearchForward(in, matchLimit, taken);
            const auto at = static_cast<std::size_t>(p);
            if (p >= 0 && (atEnd || at + lookahead <= n)) {
                ok = copy(at) && (half - outLength >= replacementLength || flush());
                if (!ok) break;
                OByte* target = out + outLength;
                for (std::size_t k = 0; k < replacementLength; ++k) {
                    if (!replacement.wildcard[k])
                        target[k] = replacement.bytes[k];
                    else
                        target[k] = at + k < n ? in[at + k] : 0; // past the end of the file
                }
                m_lastMatch = stream.write + static_cast<OOffset>(outLength);
                m_host.Replaced(m_lastMatch - static_cast<OOffset>(m_replaced) *
                                                  (static_cast<OOffset>(replacementLength) -
                                                   static_cast<OOffset>(patternLength)),
                                in + at, patternLength, target, replacementLength);
                ++m_found;
                ++m_replaced;
                outLength += replacementLength;
                taken = at + patternLength;
                continue;
            }
            std::size_t stop = consumeLimit;
            if (p >= 0)
                stop = at;
            else if (!lastMatches)
                stop = std::max(taken, n - patternLength + 1);
            ok = copy(stop);
            break;
        }
        if (ok) ok = flush();
        if (!ok) {
            const std::size_t unwritten = taken - flushedFrom;
            if (WriteBlock(in + flushedFrom, m_file, stream.write, unwritten)) {
                stream.write += static_cast<OOffset>(unwritten);
                stream.read += static_cast<OOffset>(taken);
                m_buffer.CloseGap(m_file, stream.write, stream.read, stream.end);
            }
            return false;
        }
        stream.read += static_cast<OOffset>(taken);
    }
    m_buffer.MapStream(stream.write, stream.read, stream.end);
    return true;
}

// How far behind a match's start the replacement reads: its wildcards keep
// the bytes at the same positions, also beyond the match.
std::size_t OSearchRun::Lookahead() const {
    const OPattern& replacement = m_state.m_replacement;
    auto reach = static_cast<std::size_t>(m_state.m_matcher.Length());
    for (int k = 0; k < replacement.length; ++k)
        if (replacement.wildcard[static_cast<std::size_t>(k)])
            reach = std::max(reach, static_cast<std::size_t>(k) + 1);
    return reach;
}
