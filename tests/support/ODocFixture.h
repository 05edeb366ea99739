#pragma once

#include "document/OClipStore.h"
#include "document/ODoc.h"
#include "document/ODocView.h"
#include "platform/OScriptedPlatform.h"
#include "support/OFaultyFileIo.h"
#include "support/OTempDir.h"
#include "support/OTestData.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

// The application around a document, recording what the document tells it.
struct OTestDocHost final : ODocHost {
    std::vector<std::string> recent;
    int titles = 0;
    int stored = 0;
    OClipHolder holder;
    std::string temp;
    std::uint64_t limit = 0; // the undo store's; 0 for the default
    void AddToRecentFileList(const std::string& path) override { recent.push_back(path); }
    void OnTitleChanged(ODoc&) override { ++titles; }
    void StoreViewState(ODoc&, ODocView&) override { ++stored; }
    bool MakeBackup(OFile&) override { return true; }
    OClipHolder& ClipHolder() override { return holder; }
    std::string TempDirectory() override { return temp; }
    std::uint64_t UndoStoreLimit() override {
        return limit != 0 ? limit : DefaultUndoStoreLimit(temp);
    }
};

// The active view: a caret, the Shift key, no OEM text.
struct OTestEditContext final : OEditContext {
    OOffset caret = 0;
    bool shift = false;
    OOffset CaretOffset() const override { return caret; }
    bool OemCharacters() const override { return false; }
    bool ShiftHeld() const override { return shift; }
    void MoveCaretAfterEdit(OOffset offset) override { caret = offset; }
};

// One document in a host, its temporary files in a fresh directory.
class ODocFixture : public ::testing::Test {
protected:
    void SetUp() override { host.temp = dir.Path() + "/"; }
    // Opens content as data.bin, writable, with the edit context.
    void Open(const OBytes& content) {
        path = dir.Write("data.bin", content);
        ASSERT_TRUE(doc.OnOpenDocument(path, io));
        doc.SetReadOnly(false);
        doc.SetEditContext(&context);
    }

    OScriptedPlatform platform;
    OTempDir dir;
    OFaultyFileIo io; // outlives the document's file
    OTestDocHost host;
    ODoc doc{&host};
    OTestEditContext context;
    std::string path;
};
