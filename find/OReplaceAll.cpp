// Replace All with a replacement of another length. Moving the file's tail
// once per work-buffer block would make a large file quadratic; once the
// user has chosen All, the rest of the run takes a bounded number of passes
// over the file and leaves the same bytes and totals as the buffered loop.
#include "document/OFile.h"
#include "document/OMoveExecutor.h"
#include "document/OMovePlan.h"
#include "document/OTransferBuffer.h"
#include "find/OFindState.h"
#include "platform/OOffsetFormat.h"
#include "platform/OPlatform.h"
#include "platform/OStatusText.h"
#include "platform/OSystem.h"
#include "res/OResourceIds.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>

namespace {

// The passes move each block twice (read, then write, in pass 3 with a copy
// between): a block that stays in the processor's cache between the two
// moves them at about twice the speed of one that does not.
constexpr std::size_t kPassBlock = 1048576;

struct OFreeBytes {
    void operator()(OByte* bytes) const { std::free(bytes); }
};
using OHeldBytes = std::unique_ptr<OByte, OFreeBytes>;

// The passes' moves: the view map and the progress follow each block; only
// the move of the tail up (pass 2) takes the user's Cancel.
class OPassObserver final : public OMoveObserver {
public:
    using Map = std::function<void(const OMoveStep&, OOffset)>;
    OPassObserver(Map map, OProgress* cancel) : m_map(std::move(map)), m_cancel(cancel) {}
    void Reached(const OMoveStep& step, OOffset moved) override { m_map(step, moved); }
    bool CancelRequested() override { return m_cancel && m_cancel->Cancelled(); }

private:
    Map m_map;
    OProgress* m_cancel;
};

} // namespace

// [at, at + oldLength) becomes bytes, in the order that keeps every match
// old or new whatever write fails: growing, the tail moves up first (the
// executor moves it back when that fails), and a failed write of the bytes
// closes the gap again; shrinking, the bytes go first, then the tail moves
// down over the rest. The move up takes a block of its own: bytes may lie in
// the work buffer, which CloseGap takes, so they must have been written or
// given up before it runs.
bool OFindState::WriteRegion(OFile& file, OOffset at, OOffset oldLength, const OByte* bytes,
                             std::size_t length) {
    const auto newLength = static_cast<OOffset>(length);
    OOffset size = 0;
    if (!file.TryGetSize(size)) return false;
    if (newLength <= oldLength) {
        if (!WriteBlock(bytes, file, at, length)) return false;
        return newLength == oldLength || CloseGap(file, at + newLength, at + oldLength, size);
    }
    const OPlanResult planned = PlanResize(size, file.FixedSize(), at, oldLength, newLength);
    if (!planned.plan) return ShowRefusal(file, planned.refusal);
    const OOffset from = at + oldLength;
    OTransferBuffer transfer(size - from);
    if (size > from && !transfer.Valid()) return false;
    OPassObserver observer(
        [&](const OMoveStep& step, OOffset moved) {
            if (step.backward) MapTailMove(at, bytes, newLength, step, moved);
        },
        nullptr);
    OMoveExecutor executor(file, {transfer.Data(), transfer.Size()}, observer, true);
    if (!executor.Run(*planned.plan)) return false;
    if (WriteBlock(bytes, file, at, length)) return true;
    const OOffset growth = newLength - oldLength;
    CloseGap(file, from, from + growth, size + growth);
    return false;
}

// 1. The buffer window ends behind the replacement just made: what follows
//    is input not yet searched, still in the file from `input` on.
// 2. The buffer's replacements are the result's bytes from `at`.
// 3. Shrinking takes one forward pass; growing counts, moves the tail up
//    once and then takes one forward pass.
bool OFindState::ReplaceRest(OFile& file, std::size_t index, Totals& totals, bool& cancelled) {
    const std::size_t next = index + static_cast<std::size_t>(m_replacement.length);
    m_lengthAtLoad -= m_bufferLength - next;
    m_bufferLength = next;
    MapBuffer();
    const OOffset at = m_bufferOffset + static_cast<OOffset>(m_firstChanged);
    const OOffset input = m_bufferOffset + static_cast<OOffset>(m_lengthAtLoad);
    const OOffset areaEnd =
        m_areaEnd - static_cast<OOffset>(m_bufferLength) + static_cast<OOffset>(m_lengthAtLoad);
    const OByte* pending = m_buffer.Data() + m_firstChanged;
    const std::size_t pendingLength = next - m_firstChanged;
    // From here the passes own the buffer's replacements.
    if (!TakeReplacements(file)) return false;
    if (m_replacement.length < m_matcher.Length())
        return ShrinkRest(file, at, pending, pendingLength, input, areaEnd, totals, cancelled);
    return GrowRest(file, at, pending, pendingLength, input, areaEnd, totals, cancelled);
}

// 1. The buffer's replacements go to `at`; they end before `input`, so no
//    byte still to be read is touched.
// 2. One forward pass writes the rest of the result behind them.
// 3. The file is cut where the result ends (after a Cancel: the rest of the
//    input moves down behind what was replaced).
bool OFindState::ShrinkRest(OFile& file, OOffset at, const OByte* pending,
                            std::size_t pendingLength, OOffset input, OOffset areaEnd,
                            Totals& totals, bool& cancelled) {
    if (!WriteBlock(pending, file, at, pendingLength)) return false;
    Stream stream{at + static_cast<OOffset>(pendingLength), input, m_fileSize};
    if (!StreamReplace(file, stream, areaEnd, stream.end, totals, cancelled)) return false;
    return CloseGap(file, stream.write, stream.read, stream.end);
}

// 1. The buffer's replacements are kept aside: they need room that only the
//    move makes.
// 2. Pass 1 counts the matches still to come, so the growth is known.
// 3. Pass 2 reserves the new size and moves the tail up by the growth, last
//    block first.
// 4. Pass 3 writes the kept bytes, then the rest of the result forward
//    from `at`; the write position never passes the read position.
// Cancel before pass 3 leaves the file as it was and writes the kept bytes
// as the buffered loop would.
bool OFindState::GrowRest(OFile& file, OOffset at, const OByte* pending, std::size_t pendingLength,
                          OOffset input, OOffset areaEnd, Totals& totals, bool& cancelled) {
    OOffset size = m_fileSize;
    OHeldBytes kept;
    if (pendingLength > 0) {
        kept.reset(static_cast<OByte*>(std::malloc(pendingLength)));
        if (kept) {
            std::memcpy(kept.get(), pending, pendingLength);
        } else {
            // No room to keep them: they go out now, at the cost of one move.
            if (!WriteRegion(file, at, input - at, pending, pendingLength)) return false;
            const OOffset moved = static_cast<OOffset>(pendingLength) - (input - at);
            size += moved;
            areaEnd += moved;
            input = at = at + static_cast<OOffset>(pendingLength);
            pendingLength = 0;
        }
    }
    const OByte* held = kept.get();
    const auto writeKept = [&] { return WriteRegion(file, at, input - at, held, pendingLength); };
    m_view.Start(at);
    m_view.AddMemory(held, static_cast<OOffset>(pendingLength));
    m_view.AddFile(input, size - input);

    const std::optional<std::uint64_t> count = CountRest(file, input, areaEnd, cancelled);
    if (!count) return cancelled && writeKept();
    const OOffset step = m_replacement.length - m_matcher.Length();
    const OOffset keptGrowth = static_cast<OOffset>(pendingLength) - (input - at);
    if (*count > static_cast<std::uint64_t>((kOffsetMax - size - keptGrowth) / step)) {
        SetLastError(EFBIG);
        return file.ShowFileError(-1);
    }
    const OOffset growth = keptGrowth + static_cast<OOffset>(*count) * step;
    if (growth == 0) return true;
    if (!MoveTailUp(file, input, size, growth, at, held, pendingLength, cancelled))
        return cancelled && writeKept();

    if (!WriteBlock(held, file, at, pendingLength)) {
        // The old bytes under the kept replacements are still in place.
        CloseGap(file, input, input + growth, size + growth);
        return false;
    }
    kept.reset();
    Stream stream{at + static_cast<OOffset>(pendingLength), input + growth, size + growth};
    if (!StreamReplace(file, stream, areaEnd + growth, areaEnd + growth, totals, cancelled))
        return false;
    return CloseGap(file, stream.write, stream.read, stream.end);
}

// Pass 1: the matches a scan from `from` finds when each search resumes
// behind the last match, nothing changed. None after a failure or Cancel.
std::optional<std::uint64_t> OFindState::CountRest(OFile& file, OOffset from, OOffset areaEnd,
                                                   bool& cancelled) {
    const auto length = static_cast<std::size_t>(m_matcher.Length());
    const auto capacity = static_cast<OOffset>(PassBlock());
    OByte* data = m_buffer.Data();
    std::uint64_t count = 0;
    OOffset position = from;
    while (areaEnd - position >= static_cast<OOffset>(length)) {
        m_progress->SetPos(std::clamp(position, m_areaBegin, m_areaEnd));
        PumpMessages();
        if (m_progress->Cancelled()) {
            ShowStatus(ids::IDS_FIND_CANCELED, MessageHex(from).c_str());
            cancelled = true;
            return std::nullopt;
        }
        const auto n = static_cast<std::size_t>(std::min(capacity, areaEnd - position));
        if (!ReadExactly(file, position, data, n) || !CheckGuard()) return std::nullopt;
        std::size_t taken = 0;
        while (n >= taken + length) {
            const std::ptrdiff_t p = m_matcher.SearchForward(data, n, taken);
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
bool OFindState::MoveTailUp(OFile& file, OOffset from, OOffset size, OOffset growth, OOffset at,
                            const OByte* pending, std::size_t pendingLength, bool& cancelled) {
    const OPlanResult planned = PlanResize(size, file.FixedSize(), from, 0, growth);
    if (!planned.plan) return ShowRefusal(file, planned.refusal);
    OPassObserver observer(
        [&](const OMoveStep& step, OOffset moved) {
            if (step.backward) {
                MapTailMove(at, pending, static_cast<OOffset>(pendingLength), step, moved);
                m_progress->SetPos(
                    std::clamp(step.from + step.length - moved, m_areaBegin, m_areaEnd));
            } else {
                MapStream({step.to + moved, step.from + moved, step.from + step.length});
            }
        },
        m_progress.get());
    OMoveExecutor executor(file, {m_buffer.Data(), PassBlock()}, observer, true);
    if (executor.Run(*planned.plan)) return true;
    if (executor.Cancelled()) {
        ShowStatus(ids::IDS_FIND_CANCELED,
                   MessageHex(at + static_cast<OOffset>(pendingLength)).c_str());
        cancelled = true;
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
bool OFindState::StreamReplace(OFile& file, Stream& stream, OOffset matchEnd, OOffset consumeEnd,
                               Totals& totals, bool& cancelled) {
    const std::size_t half = std::min(PassBlock(), m_buffer.Size() / 2);
    OByte* in = m_buffer.Data();
    OByte* out = in + half;
    const auto patternLength = static_cast<std::size_t>(m_matcher.Length());
    const auto replacementLength = static_cast<std::size_t>(m_replacement.length);
    const std::size_t lookahead = Lookahead();
    while (stream.read < consumeEnd) {
        MapStream(stream);
        m_progress->SetPos(std::clamp(stream.write, m_areaBegin, m_areaEnd));
        PumpMessages();
        if (m_progress->Cancelled()) {
            ShowStatus(ids::IDS_FIND_CANCELED, MessageHex(stream.write).c_str());
            cancelled = true;
            return true;
        }
        const auto n = static_cast<std::size_t>(
            std::min(static_cast<OOffset>(half), stream.end - stream.read));
        if (!ReadExactly(file, stream.read, in, n) || !CheckGuard()) {
            CloseGap(file, stream.write, stream.read, stream.end);
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
            if (!WriteBlock(out, file, stream.write, outLength)) return false;
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
                p = m_matcher.SearchForward(in, matchLimit, taken);
            const auto at = static_cast<std::size_t>(p);
            if (p >= 0 && (atEnd || at + lookahead <= n)) {
                ok = copy(at) && (half - outLength >= replacementLength || flush());
                if (!ok) break;
                OByte* target = out + outLength;
                for (std::size_t k = 0; k < replacementLength; ++k) {
                    if (!m_replacement.wildcard[k])
                        target[k] = m_replacement.bytes[k];
                    else
                        target[k] = at + k < n ? in[at + k] : 0; // past the end of the file
                }
                totals.lastMatch = stream.write + static_cast<OOffset>(outLength);
                ++totals.found;
                ++totals.replaced;
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
            if (WriteBlock(in + flushedFrom, file, stream.write, unwritten)) {
                stream.write += static_cast<OOffset>(unwritten);
                stream.read += static_cast<OOffset>(taken);
                CloseGap(file, stream.write, stream.read, stream.end);
            }
            return false;
        }
        stream.read += static_cast<OOffset>(taken);
    }
    MapStream(stream);
    return true;
}

// The result is the file up to `to`, then [from, end): that part moves
// down behind it and the file is cut where it ends. The executor runs it to
// the end even when the user cancels (a gap left open would be a hole in
// the file) and tries a failed block once more.
bool OFindState::CloseGap(OFile& file, OOffset to, OOffset from, OOffset end) {
    const OPlanResult planned = PlanResize(end, file.FixedSize(), to, from - to, 0);
    if (!planned.plan) return ShowRefusal(file, planned.refusal);
    OPassObserver observer(
        [&](const OMoveStep& step, OOffset moved) {
            MapStream({step.to + moved, step.from + moved, step.from + step.length});
        },
        nullptr);
    MapStream({to, from, end});
    OMoveExecutor executor(file, {m_buffer.Data(), PassBlock()}, observer, true);
    return executor.Run(*planned.plan);
}

// The view of a tail moving up: the replacements from `at`, the file up to
// where the move stands, and above it the tail already moved.
void OFindState::MapTailMove(OOffset at, const OByte* bytes, OOffset length, const OMoveStep& step,
                             OOffset moved) {
    const OOffset from = step.from;
    const OOffset size = step.from + step.length;
    const OOffset growth = step.to - step.from;
    const OOffset boundary = size - moved; // [boundary, size) is already growth bytes higher
    m_view.Start(at);
    m_view.AddMemory(bytes, length);
    m_view.AddFile(from, boundary - from);
    m_view.AddFile(boundary + growth, size - boundary);
}

std::size_t OFindState::PassBlock() const {
    return std::min(kPassBlock, m_buffer.Size());
}

void OFindState::MapStream(const Stream& stream) {
    m_view.Start(stream.write);
    m_view.AddFile(stream.read, stream.end - stream.read);
}

// How far behind a match's start the replacement reads: its wildcards keep
// the bytes at the same positions, also beyond the match.
std::size_t OFindState::Lookahead() const {
    auto reach = static_cast<std::size_t>(m_matcher.Length());
    for (int k = 0; k < m_replacement.length; ++k)
        if (m_replacement.wildcard[static_cast<std::size_t>(k)])
            reach = std::max(reach, static_cast<std::size_t>(k) + 1);
    return reach;
}
