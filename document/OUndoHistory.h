#pragma once

#include "document/OUndoStore.h"
#include "markers/ORange.h"
#include "platform/OTypes.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

// What a step undoes, for the menu's words.
enum class OUndoKind { Typing, Delete, Cut, Paste, PasteHere, Insert, Replace };

// One region of a structural change: [offset, offset + oldLength) of the
// file before the change became newLength bytes. Offsets are those before
// the change; a step's regions are sorted and do not overlap.
struct OUndoRegion {
    OOffset offset = 0;
    OOffset oldLength = 0;
    OOffset newLength = 0;
    OOffset oldAt = -1; // the removed bytes in the store; -1 for none
    OOffset newAt = -1; // the bytes the change put there, kept by the first undo
};

// A run of the store that a step holds as a whole.
struct OUndoSegment {
    OOffset at = 0;
    OOffset length = 0;
};

// One typed byte (or one taken back): the byte shown before and after, and
// whether each was a pending change.
struct OTypedByte {
    OOffset offset = 0;
    OByte before = 0;
    OByte after = 0;
    bool pendingBefore = false;
    bool pendingAfter = false;
};

// What the ranges and the caret were on one side of a change: the markers
// meeting the changed span (those the change moves, clips or removes; the
// others simply follow the edit), the selection, the last-found range.
struct OUndoRanges {
    std::vector<ORange> markers;
    // Many markers wait in the store instead, one ToText line each.
    OOffset markersAt = -1;
    OOffset markersLength = 0;
    OOffset selectionBegin = -1;
    OOffset selectionEnd = -1;
    OOffset foundBegin = -1;
    OOffset foundEnd = -1;
    OOffset caret = 0;
};

struct OUndoStep {
    OUndoKind kind = OUndoKind::Typing;
    std::vector<OUndoRegion> regions; // structural changes
    std::vector<OTypedByte> typed;    // typing, in the order typed
    // When not empty, the regions' bytes lie inside these and go with them.
    std::vector<OUndoSegment> segments;
    // A long replace run goes on behind the regions as records in the
    // store (OReplaceRecorder has their form).
    std::vector<OUndoSegment> records;
    std::uint64_t recordCount = 0;
    bool saved = false;     // typing: the bytes have been written to the file
    OOffset sizeBefore = 0; // typing: the length shown before and after
    OOffset sizeAfter = 0;
    OUndoRanges before;
    OUndoRanges after;

    // What the step keeps in memory, roughly.
    std::size_t MemoryBytes() const;
    // The bytes a structural step holds in the store.
    std::uint64_t StoredBytes() const;
};

// A document's steps with their undo and redo cursors: steps [0, done) can be
// undone, newest last; [done, count) redone, the next first. A new step drops
// the redo steps. The oldest steps are dropped to keep the store within its
// limit and what the steps hold in memory within memoryLimit. Plain C++.
class OUndoHistory {
public:
    static constexpr std::size_t kDefaultMemoryLimit = std::size_t{32} << 20;
    // The most typed bytes one step keeps; a longer run starts a new step.
    static constexpr std::size_t kMaxTyped = std::size_t{1} << 18;

    // The most markers one side of a step keeps in memory; more go to the store.
    static std::size_t MarkersInMemory();
    // Sets that number (0 restores the normal one), so that a test with a
    // few markers spills them.
    static void SetMarkersInMemoryForTesting(std::size_t count);

    OUndoHistory(std::string tempDir, std::uint64_t storeLimit,
                 std::size_t memoryLimit = kDefaultMemoryLimit);

    OUndoStore& Store() { return m_store; }
    const OUndoStore& Store() const { return m_store; }
    std::uint64_t StoreLimit() const { return m_storeLimit; }
    void SetStoreLimit(std::uint64_t limit) { m_storeLimit = limit; }

public: // the cursors
    std::size_t Count() const { return m_steps.size(); }
    std::size_t UndoCount() const { return m_done; }
    bool CanUndo() const { return m_done > 0; }
    bool CanRedo() const { return m_done < m_steps.size(); }
    // The step Undo would take back, or Redo make again; null for none.
    OUndoStep* NextUndo() { return CanUndo() ? &m_steps[m_done - 1] : nullptr; }
    OUndoStep* NextRedo() { return CanRedo() ? &m_steps[m_done] : nullptr; }
    const OUndoStep* NextUndo() const { return CanUndo() ? &m_steps[m_done - 1] : nullptr; }
    const OUndoStep* NextRedo() const { return CanRedo() ? &m_steps[m_done] : nullptr; }
    void Undone() { --m_done; }
    void Redone() { ++m_done; }

public: // changing
    // Drops the redo steps, then the oldest steps until bytes more fit the
    // store's limit. False (nothing dropped) when bytes alone exceed it.
    bool MakeRoom(std::uint64_t bytes);
    // For an undo that keeps the bytes it removes: drops the oldest steps
    // below the next undo step until bytes more fit. False when they do not.
    bool MakeRoomBelow(std::uint64_t bytes);
    // Drops the steps from the undo cursor on (those Redo would make).
    void DropFromCursor();
    // Adds step after the undo cursor (the redo steps were dropped by
    // MakeRoom or go now) and keeps the memory within its limit.
    void Push(OUndoStep step);
    // The newest step has grown in memory by bytes (a typing run).
    void Grew(std::size_t bytes);
    // Gives back the step's store segments.
    void Release(OUndoStep& step);
    void Clear();
    // Typed bytes were written: every typing step undoes and redoes on the file.
    void MarkTypingSaved();
    // Typed bytes were dropped: the typing steps that had them go, with the
    // redo steps.
    void DropPendingTyping();

private:
    void DropOldest();
    void DropRedo();

    OUndoStore m_store;
    std::deque<OUndoStep> m_steps;
    std::size_t m_done = 0;
    std::uint64_t m_storeLimit;
    std::size_t m_memoryLimit;
    std::size_t m_memory = 0;
};

// The Edit menu's item: "&Undo\tCtrl+Z" without a step, else naming it,
// e.g. "&Undo delete of 4,096 bytes at 0x1000\tCtrl+Z". Offsets as the
// offset pane shows them in a file of fileLength bytes.
std::string UndoMenuText(const OUndoStep* step, bool redo, OOffset fileLength);
