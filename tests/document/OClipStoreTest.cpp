#include "document/OClipStore.h"

#include "document/ODiskFile.h"
#include "document/OEditOps.h"
#include "document/OTransferBuffer.h"
#include "platform/OScriptedPlatform.h"
#include "support/OFaultyFileIo.h"
#include "support/OTempDir.h"
#include "support/OTestData.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>
#include <type_traits>

namespace {

using Bytes = OBytes;
using Strings = std::vector<std::string>;

Bytes Slice(const Bytes& v, std::size_t at, std::size_t n) {
    return Bytes(v.begin() + static_cast<std::ptrdiff_t>(at),
                 v.begin() + static_cast<std::ptrdiff_t>(at + n));
}

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Descriptors of this process open on files in dir, named or not.
std::vector<struct stat> OpenFilesIn(const std::string& dir) {
    std::vector<struct stat> found;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        const std::string target = std::filesystem::read_symlink(entry.path(), error).string();
        struct stat info {};
        if (!error && target.rfind(dir + "/", 0) == 0 && ::stat(entry.path().c_str(), &info) == 0)
            found.push_back(info);
    }
    return found;
}

class ClipTest : public ::testing::Test {
protected:
    void TearDown() override {
        OTransferBuffer::SetLimitForTesting(0);
        OClipFileStore::SetNoUnnamedFilesForTesting(false);
    }
    std::unique_ptr<ODiskFile> Open(const std::string& name, const Bytes& bytes,
                                    OFileIo& io = OFileIo::System()) {
        auto file = std::make_unique<ODiskFile>(io);
        EXPECT_TRUE(file->Open(dir.Write(name, bytes), OAccess::Read, ODisposition::OpenExisting));
        return file;
    }

    OScriptedPlatform platform;
    OTempDir dir;
    OTempDir temp; // the program's temporary directory
    const Bytes content = Iota(1000, 3);
    std::unique_ptr<ODiskFile> source = Open("source.bin", content);
};

// Both stores keep a snapshot: in memory, or in a temporary file.
template <class Store> class ClipStoreTest : public ClipTest {
protected:
    std::unique_ptr<OClipStore> Make() {
        if constexpr (std::is_same_v<Store, OClipFileStore>)
            return std::make_unique<OClipFileStore>(temp.Path());
        else
            return std::make_unique<OClipMemStore>();
    }
    Bytes Peek(OClipStore& store, std::size_t count) {
        Bytes out(count);
        out.resize(store.Read(out.data(), count));
        return out;
    }
};

using Stores = ::testing::Types<OClipMemStore, OClipFileStore>;
TYPED_TEST_SUITE(ClipStoreTest, Stores);

TYPED_TEST(ClipStoreTest, SnapshotsReadAndPasteBackTheCopiedBytes) {
    const Bytes& data = this->content;
    auto store = this->Make();
    ASSERT_TRUE(store->Store(*this->source, 100, 600));
    EXPECT_TRUE(store->IsValid());
    EXPECT_EQ(store->Length(), 600);
    EXPECT_EQ(this->Peek(*store, 4), Slice(data, 100, 4));
    EXPECT_EQ(this->Peek(*store, 5000), Slice(data, 100, 600));
    auto target = this->Open("target.bin", Bytes(10));
    ASSERT_TRUE(store->WriteTo(*target, 4));
    EXPECT_EQ(ReadWholeFile(target->Path()), Bytes(4) + Slice(data, 100, 600));
    // Pasted into the middle of the range it came from: the snapshot goes in.
    ASSERT_TRUE(ResizeRegion(*this->source, 150, 0, store->Length()));
    ASSERT_TRUE(store->WriteTo(*this->source, 150));
    EXPECT_EQ(ReadWholeFile(this->source->Path()),
              Slice(data, 0, 150) + Slice(data, 100, 600) + Slice(data, 150, 850));
    // A source that ends early gives a shorter snapshot; nothing is nothing.
    ASSERT_TRUE(store->Store(*this->source, 1590, 50));
    EXPECT_EQ(this->Peek(*store, 50), Slice(data, 990, 10));
    ASSERT_TRUE(store->Store(*this->source, 0, 0));
    EXPECT_TRUE(store->WriteTo(*target, 0));
    EXPECT_TRUE(this->platform.Messages().empty());
}

// Copies above 1 MiB say their size and run behind a progress window whose
// Cancel, like a failed read, leaves the store invalid.
TYPED_TEST(ClipStoreTest, LargeCopiesShowProgressAndFailuresLeaveNoSnapshot) {
    const Bytes big = Iota(3 << 20, 3);
    auto file = this->Open("big.bin", big);
    auto store = this->Make();
    ASSERT_TRUE(store->Store(*file, 0, 3 << 20));
    EXPECT_EQ(this->platform.StatusHistory().at(0), "Copy 3 Mb ...");
    ASSERT_EQ(this->platform.ProgressWindows().size(), 1u);
    EXPECT_TRUE(this->platform.ProgressWindows()[0].cancelEnabled);
    auto target = this->Open("target.bin", {});
    ASSERT_TRUE(store->WriteTo(*target, 0));
    EXPECT_EQ(ReadWholeFile(target->Path()), big);

    this->platform.CancelAtProgressStep(1);
    EXPECT_FALSE(store->Store(*file, 0, 3 << 20));
    EXPECT_EQ(this->platform.StatusHistory().back(), "");
    EXPECT_FALSE(store->IsValid());
    EXPECT_FALSE(store->WriteTo(*target, 0));
    EXPECT_TRUE(this->Peek(*store, 4).empty());
    this->platform.CancelAtProgressStep(0);

    OFaultyFileIo io;
    io.failReadAt = 1;
    auto faulty = this->Open("faulty.bin", Iota(2000), io);
    this->platform.Clear();
    store = this->Make();
    EXPECT_FALSE(store->Store(*faulty, 0, 1000));
    EXPECT_FALSE(store->IsValid());
    EXPECT_EQ(this->platform.MessageTexts(), Strings{faulty->Path() + ": Input/output error"});
}

// The temporary file has no name in the directory, is the user's alone, and
// is gone with its store; where the file system cannot make unnamed files,
// a named one is removed at once.
TEST_F(ClipTest, TheFileStoreLeavesNoDirectoryEntry) {
    for (bool unnamed : {true, false}) {
        SCOPED_TRACE(unnamed);
        OClipFileStore::SetNoUnnamedFilesForTesting(!unnamed);
        OTransferBuffer::SetLimitForTesting(64);
        int privateFiles = 0;
        platform.OnPump([&] {
            EXPECT_TRUE(temp.Names().empty());
            for (const struct stat& f : OpenFilesIn(temp.Path())) {
                EXPECT_EQ(f.st_nlink, 0u);
                EXPECT_EQ(f.st_mode & 0777, 0600u);
                ++privateFiles;
            }
        });
        OClipHolder holder(0);
        ASSERT_TRUE(holder.Set(*source, 10, 900, temp.Path()));
        EXPECT_GT(privateFiles, 10);
        platform.OnPump(nullptr);
        holder.Clear();
        EXPECT_TRUE(OpenFilesIn(temp.Path()).empty());
        EXPECT_TRUE(temp.Names().empty());
    }
}

// Copies above the memory limit go to a file; each new copy destroys the
// previous store first, so a failed one leaves none.
TEST_F(ClipTest, TheHolderKeepsOneStoreChosenByItsLength) {
    const std::string tempDir = temp.Path() + "/";
    OClipHolder holder(500);
    EXPECT_FALSE(holder.IsValid());
    ASSERT_TRUE(holder.Set(*source, 0, 800, tempDir)); // a file
    EXPECT_EQ(OpenFilesIn(temp.Path()).size(), 1u);
    ASSERT_TRUE(holder.Set(*source, 5, 3, tempDir)); // memory
    EXPECT_TRUE(OpenFilesIn(temp.Path()).empty());
    Bytes peeked(10);
    peeked.resize(holder.Peek(peeked.data(), peeked.size()));
    EXPECT_EQ(peeked, Slice(content, 5, 3));

    const std::string missing = temp.Path() + "/missing/";
    EXPECT_FALSE(holder.Set(*source, 0, 800, missing));
    EXPECT_EQ(platform.MessageTexts(),
              Strings{missing + "Quorvalis.clip: No such file or directory"});
    EXPECT_FALSE(holder.IsValid());
    EXPECT_EQ(holder.Length(), 0);
    EXPECT_EQ(holder.Peek(peeked.data(), peeked.size()), 0u);
    auto target = Open("target.bin", Iota(4));
    EXPECT_FALSE(holder.PasteTo(*target, 0));
    EXPECT_EQ(ReadWholeFile(target->Path()), Iota(4));
}

TEST_F(ClipTest, TextGoesToTheClipboardUpToItsFirstZeroByteAndComesBack) {
    struct Case {
        std::string bytes;
        OOffset begin, length; // -1: to the end
        bool oem;
        std::string text; // on the clipboard
        std::string back; // pasted from it
    };
    const Case cases[] = {
        {std::string("say\0more", 8), 0, 8, false, "say", "say"},
        {std::string("say\0more", 8), 1, 1, false, "a", "a"},
        {std::string("say\0more", 8), 3, 5, false, "", ""},
        // Windows-1252, the pane's page without OEM characters; what it
        // lacks comes back as '?'.
        {"caf\xE9 \x80\x81\tx", 0, -1, false, "caf\xC3\xA9 \xE2\x82\xAC\xC2\x81\tx",
         "caf\xE9 \x80\x81\tx"},
        // Code page 437: glyphs, with line breaks and tabs as they are.
        {"\xB0\x82\xC4\r\n\tA", 0, -1, true, "\xE2\x96\x91\xC3\xA9\xE2\x94\x80\r\n\tA",
         "\xB0\x82\xC4\r\n\tA"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        auto file = Open("text.bin", BytesOf(c.bytes));
        const OOffset length = c.length < 0 ? file->GetSize() - c.begin : c.length;
        EXPECT_TRUE(CopyText(*file, c.begin, length, c.oem));
        EXPECT_EQ(platform.clipboardText, c.text);
        EXPECT_EQ(PasteText(c.oem), BytesOf(c.back));
    }
    platform.clipboardText = std::string("ab\0cd", 5);
    EXPECT_EQ(PasteText(false), BytesOf("ab"));
    platform.clipboardText = "\xE2\x94\x80x"; // a box-drawing line
    EXPECT_EQ(PasteText(true), BytesOf("\xC4x"));
    platform.clipboardText = "caf\xC3\xA9 cr\xC3\xA8me \xE2\x94\x80";
    EXPECT_EQ(PasteText(false), BytesOf("caf\xE9 cr\xE8me ?"));
    platform.clipboardText.reset();
    EXPECT_FALSE(PasteText(false));
    platform.clipboardFails = true;
    EXPECT_FALSE(PasteText(true));
    EXPECT_TRUE(platform.Messages().empty());

    EXPECT_FALSE(CopyText(*source, 0, 10, false));
    platform.clipboardFails = false;
    EXPECT_FALSE(CopyText(*source, 0, kMaxClipboardText + 1, false));
    EXPECT_EQ(platform.MessageTexts(),
              (Strings{"Cannot put the text on the clipboard",
                       "Too long to copy as text: 536870912 bytes (at most 536870911)"}));
    EXPECT_FALSE(platform.clipboardText);
}

} // namespace
