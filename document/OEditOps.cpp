#include "document/OEditOps.h"

#include "document/OFile.h"
#include "document/OTransferBuffer.h"
#include "platform/OPlatform.h"
#include "platform/OProgress.h"
#include "platform/OStatusText.h"
#include "platform/OSystem.h"
#include "res/OResourceIds.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <memory>

namespace {

constexpr OOffset kMegabyte = 1048576;
constexpr std::size_t kZeroBlock = 4194304; // 4 MiB

// Used when even the zero block cannot be had: the gap still gets zeros.
const OByte kSpareZeros[65536] = {};

struct OMoveResult {
    bool ok = false;
    // Some block reached the target: until then the file is as it was.
    bool wroteAny = false;
};

bool ValidRange(OOffset offset, OOffset length) {
    return offset >= 0 && length >= 0 && length <= kOffsetMax - offset;
}

std::size_t BlockFor(const OTransferBuffer& buffer, OOffset length) {
    return static_cast<std::size_t>(
        std::min<std::uint64_t>(buffer.Size(), static_cast<std::uint64_t>(length)));
}

// A read error must never pass for the end of the source: the caller would
// then cut the file behind a tail that was never moved.
bool ReadFailed(OFile& source) {
    if (LastError() == 0) return false;
    source.ShowFileError(-1);
    return true;
}

OMoveResult Forward(OTransferBuffer& buffer, OFile& source, OOffset sourceOffset, OFile& target,
                    OOffset targetOffset, OOffset length, OProgress& progress) {
    OMoveResult result;
    OOffset done = 0;
    while (length > 0) {
        const std::size_t block = BlockFor(buffer, length);
        PumpMessages();
        done += static_cast<OOffset>(block);
        progress.SetPos(done);
        if (progress.Cancelled()) return result;
        const std::size_t n = source.ReadAt(sourceOffset, buffer.Data(), block);
        if (ReadFailed(source)) return result;
        if (n == 0) break; // the source ended early
        if (!WriteBlock(buffer.Data(), target, targetOffset, n)) return result;
        result.wroteAny = true;
        const auto moved = static_cast<OOffset>(n);
        length -= moved;
        sourceOffset += moved;
        targetOffset += moved;
    }
    result.ok = true;
    return result;
}

// Last block first, for a target overlapping the source from above.
OMoveResult Backward(OTransferBuffer& buffer, OFile& source, OOffset sourceOffset, OFile& target,
                     OOffset targetOffset, OOffset length, OProgress& progress) {
    OMoveResult result;
    OOffset done = 0;
    while (length > 0) {
        const std::size_t block = BlockFor(buffer, length);
        const auto step = static_cast<OOffset>(block);
        PumpMessages();
        done += step;
        progress.SetPos(done);
        if (progress.Cancelled()) return result;
        const std::size_t n = source.ReadAt(sourceOffset + length - step, buffer.Data(), block);
        if (ReadFailed(source)) return result;
        // Only another program cutting the file can make this short, and
        // writing less would put every later block in the wrong place.
        if (n != block) {
            MessageBoxId(ids::IDS_READ_ERROR, OButtons::Ok, OIcon::Stop);
            return result;
        }
        if (!WriteBlock(buffer.Data(), target, targetOffset + length - step, n)) return result;
        result.wroteAny = true;
        length -= step;
    }
    result.ok = true;
    return result;
}

// 1. Refuse an unusable buffer before anything changes.
// 2. Make the target writable; show the status text for long copies.
// 3. Copy forward, or backward when the target overlaps the source from
//    above in the same file, one read and one write per block.
// 4. Restore the status text however the copy ended.
OMoveResult Copy(OTransferBuffer& buffer, OFile& source, OOffset sourceOffset, OFile& target,
                 OOffset targetOffset, OOffset length, unsigned messageId, bool cancelEnabled) {
    if (!ValidRange(sourceOffset, length) || !ValidRange(targetOffset, length)) {
        SetLastError(EINVAL);
        return {};
    }
    // Without a block every read yields nothing, the sign of a normal end.
    if (!buffer.Valid() || buffer.Size() == 0) return {};
    OLongOperation running;
    if (!target.EnsureWritable()) return {};
    OStatusText status;
    if (messageId != 0 && length > kMegabyte)
        status.Show(messageId, static_cast<long long>(length / kMegabyte));
    OMoveResult result;
    result.ok = true;
    if (length > 0) {
        const bool backward = &source == &target && sourceOffset < targetOffset &&
                              length > targetOffset - sourceOffset;
        const auto progress = CreateProgress(0, length - 1, cancelEnabled);
        result =
            backward
                ? Backward(buffer, source, sourceOffset, target, targetOffset, length, *progress)
                : Forward(buffer, source, sourceOffset, target, targetOffset, length, *progress);
    }
    status.Restore();
    return result;
}

// A disk file's SetSize fails without a word, which here would leave a
// moved tail doubled at the end unexplained.
bool SetSizeOrSay(OFile& file, OOffset size) {
    if (file.SetSize(size)) return true;
    // The memory variant has already said "Out of memory".
    if (LastError() != ENOMEM) file.ShowFileError(-1);
    return false;
}

// The size, when [offset, offset + length) lies within the file; -1 if not.
OOffset SizeAround(OFile& file, OOffset offset, OOffset length) {
    if (offset < 0 || length < 0) return -1;
    const OOffset size = file.GetSize();
    if (offset > size || length > size - offset) return -1;
    return size;
}

} // namespace

bool CopyRange(OTransferBuffer& buffer, OFile& source, OOffset sourceOffset, OFile& target,
               OOffset targetOffset, OOffset length, unsigned messageId, bool cancelEnabled) {
    return Copy(buffer, source, sourceOffset, target, targetOffset, length, messageId,
                cancelEnabled)
        .ok;
}

bool WriteBlock(const OByte* buffer, OFile& target, OOffset offset, std::size_t count) {
    // Nothing to write must not grow the file to offset either.
    if (count == 0) return true;
    if (!target.EnsureWritable()) return false;
    OOffset before = 0;
    if (!target.TryGetSize(before)) return false;
    if (target.WriteAllAt(offset, buffer, count)) return true;
    // WriteAt grows the file before it writes: what lies past the old end
    // now is this failed block's, never data, so the file must not keep it.
    OOffset after = 0;
    if (target.TryGetSize(after) && after > before) target.SetSize(before);
    return false;
}

// 1. Move the tail down over the range, forward.
// 2. Cut the file only after the whole tail has moved.
bool DeleteRange(OFile& file, OOffset offset, OOffset length) {
    const OOffset size = SizeAround(file, offset, length);
    if (size < 0) {
        SetLastError(EINVAL);
        return false;
    }
    if (length == 0) return true;
    OLongOperation running;
    // Before the buffer is taken, so that a backup reuses the kept block.
    if (!file.EnsureWritable()) return false;
    const OOffset tail = size - offset - length;
    if (tail > 0) {
        OTransferBuffer buffer(tail);
        if (!Copy(buffer, file, offset + length, file, offset, tail, ids::IDS_MOVE_MB, false).ok) {
            file.Sync();
            return false;
        }
    }
    const bool ok = SetSizeOrSay(file, size - length);
    file.Sync();
    return ok;
}

// 1. Reserve the new size when the file grows: a full disk shows up here,
//    before any byte moves.
// 2. Move the tail by the difference (backward when it overlaps itself).
// 3. Set the new size.
bool ResizeRegion(OFile& file, OOffset offset, OOffset oldLength, OOffset newLength) {
    const OOffset size = SizeAround(file, offset, oldLength);
    if (size < 0 || newLength < 0) {
        SetLastError(EINVAL);
        return false;
    }
    if (newLength == oldLength) return true;
    if (newLength - oldLength > kOffsetMax - size) {
        SetLastError(EFBIG);
        return file.ShowFileError(-1);
    }
    const OOffset newSize = size + (newLength - oldLength);
    OLongOperation running;
    if (!file.EnsureWritable()) return false;
    if (newSize > size && !file.Reserve(newSize)) return false;
    const OOffset tail = size - offset - oldLength;
    if (tail > 0) {
        OTransferBuffer buffer(tail);
        const OMoveResult moved = Copy(buffer, file, offset + oldLength, file, offset + newLength,
                                       tail, ids::IDS_MOVE_MB, false);
        if (!moved.ok) {
            // Nothing moved yet: give back what the reservation or a failed
            // first write added, so the file is exactly as it was.
            if (!moved.wroteAny && newSize > size) file.SetSize(size);
            file.Sync();
            return false;
        }
    }
    const bool ok = SetSizeOrSay(file, newSize);
    file.Sync();
    return ok;
}

// 1. Open the gap (the move of the tail).
// 2. Fill it with zeros block by block; Cancel or a failed write stops the
//    fill, and the status bar then says how much of the gap holds stale
//    bytes. The file has its new length either way, so the result is true.
bool InsertZeros(OFile& file, OOffset offset, OOffset count) {
    if (count <= 0 || SizeAround(file, offset, 0) < 0) {
        SetLastError(EINVAL);
        return false;
    }
    OLongOperation running;
    if (!file.EnsureWritable() || !ResizeRegion(file, offset, 0, count)) return false;

    OStatusText status;
    status.Show(ids::IDS_INSERTING, static_cast<long long>(count));
    auto progress = CreateProgress(offset, offset + count, true);
    std::size_t zeroSize = static_cast<std::size_t>(std::min<OOffset>(count, kZeroBlock));
    const std::unique_ptr<OByte, decltype(&std::free)> allocated(
        static_cast<OByte*>(std::calloc(zeroSize, 1)), &std::free);
    const OByte* zeros = allocated.get();
    if (!zeros) {
        zeros = kSpareZeros;
        zeroSize = std::min(zeroSize, sizeof kSpareZeros);
    }
    OOffset position = offset;
    OOffset remaining = count;
    while (remaining > 0) {
        const auto block = static_cast<std::size_t>(
            std::min<std::uint64_t>(zeroSize, static_cast<std::uint64_t>(remaining)));
        PumpMessages();
        progress->SetPos(position + static_cast<OOffset>(block));
        if (progress->Cancelled()) break;
        if (!WriteBlock(zeros, file, position, block)) break;
        position += static_cast<OOffset>(block);
        remaining -= static_cast<OOffset>(block);
    }
    progress.reset();
    status.Restore();
    if (remaining > 0) ShowStatus(ids::IDS_INSERT_NOT_ZEROED, static_cast<long long>(remaining));
    return true;
}
