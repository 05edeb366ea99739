#include "document/OClipStore.h"

#include "document/ODiskFile.h"
#include "document/OEditOps.h"
#include "document/OTransferBuffer.h"
#include "platform/OCodePage.h"
#include "platform/OScriptedPlatform.h"
#include "support/OFaultyFileIo.h"
#include "support/OTempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::vector<OByte> Iota(std::size_t n, int start = 0) {
    std::vector<OByte> out(n);
    for (std::size_t i = 0; i < n; ++i)
        out[i] = static_cast<OByte>(start + static_cast<int>(i));
    return out;
}

std::vector<OByte> Slice(const std::vector<OByte>& v, std::size_t at, std::size_t n) {
    return std::vector<OByte>(v.begin() + static_cast<std::ptrdiff_t>(at),
                              v.begin() + static_cast<std::ptrdiff_t>(at + n));
}

std::vector<OByte> Bytes(const std::string& s) {
    return std::vector<OByte>(s.begin(), s.end());
}

// Descriptors of this process open on files in dir, named or not.
struct OpenFile {
    std::string link;
    struct stat info;
};
std::vector<OpenFile> OpenFilesIn(const std::string& dir) {
    std::vector<OpenFile> found;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        const std::string target = std::filesystem::read_symlink(entry.path(), error).string();
        if (error || target.rfind(dir + "/", 0) != 0) continue;
        OpenFile file{target, {}};
        if (::stat(entry.path().c_str(), &file.info) == 0) found.push_back(file);
    }
    return found;
}

class ClipTest : public ::testing::Test {
protected:
    void SetUp() override {
        content = Iota(1000, 3);
        source = Open("source.bin", content);
        tempDir = temp.Path() + "/";
    }
    void TearDown() override {
        OTransferBuffer::SetLimitForTesting(0);
        OClipFileStore::SetNoUnnamedFilesForTesting(false);
    }
    std::unique_ptr<ODiskFile> Open(const std::string& name, const std::vector<OByte>& bytes) {
        auto file = std::make_unique<ODiskFile>();
        EXPECT_TRUE(file->Open(dir.Write(name, bytes), OAccess::Read, ODisposition::OpenExisting));
        return file;
    }
    std::vector<OByte> Peek(OClipHolder& holder, std::size_t count) {
        std::vector<OByte> out(count);
        out.resize(holder.Peek(out.data(), count));
        return out;
    }
    bool TempDirEmpty() const { return std::filesystem::is_empty(temp.Path()); }

    OScriptedPlatform platform;
    OTempDir dir;
    OTempDir temp; // the program's temporary directory
    std::string tempDir;
    std::vector<OByte> content;
    std::unique_ptr<ODiskFile> source;
};

TEST_F(ClipTest, MemoryStoreRoundTrip) {
    OClipHolder holder(1 << 20);
    EXPECT_FALSE(holder.IsValid());
    EXPECT_EQ(holder.Length(), 0);
    ASSERT_TRUE(holder.Set(*source, 100, 600, tempDir));
    EXPECT_TRUE(holder.IsValid());
    EXPECT_EQ(holder.Length(), 600);
    EXPECT_EQ(Peek(holder, 4), Slice(content, 100, 4));
    EXPECT_EQ(Peek(holder, 5000), Slice(content, 100, 600));
    EXPECT_TRUE(platform.ProgressWindows().empty());
    EXPECT_TRUE(TempDirEmpty());

    auto target = Open("target.bin", std::vector<OByte>(10));
    ASSERT_TRUE(holder.PasteTo(*target, 4));
    std::vector<OByte> expected(4);
    const auto pasted = Slice(content, 100, 600);
    expected.insert(expected.end(), pasted.begin(), pasted.end());
    EXPECT_EQ(ReadWholeFile(target->Path()), expected);
    EXPECT_TRUE(platform.Messages().empty());
}

TEST_F(ClipTest, FileStoreRoundTripWithoutADirectoryEntry) {
    for (bool unnamed : {true, false}) {
        SCOPED_TRACE(unnamed);
        OClipFileStore::SetNoUnnamedFilesForTesting(!unnamed);
        platform.Clear();
        OTransferBuffer::SetLimitForTesting(64);
        bool sawPrivateFile = false;
        int pumps = 0;
        platform.OnPump([&] {
            ++pumps;
            EXPECT_TRUE(TempDirEmpty());
            for (const OpenFile& f : OpenFilesIn(temp.Path())) {
                EXPECT_EQ(f.info.st_nlink, 0u) << f.link;
                EXPECT_EQ(f.info.st_mode & 0777, 0600u) << f.link;
                sawPrivateFile = true;
            }
        });
        OClipHolder holder(0);
        ASSERT_TRUE(holder.Set(*source, 10, 900, temp.Path()));
        EXPECT_TRUE(sawPrivateFile);
        EXPECT_GT(pumps, 10);
        EXPECT_TRUE(holder.IsValid());
        EXPECT_EQ(holder.Length(), 900);
        ASSERT_EQ(platform.ProgressWindows().size(), 1u);
        EXPECT_TRUE(platform.ProgressWindows()[0].cancelEnabled);
        EXPECT_EQ(Peek(holder, 3), Slice(content, 10, 3));

        auto target = Open("target.bin", {});
        ASSERT_TRUE(holder.PasteTo(*target, 0));
        EXPECT_EQ(ReadWholeFile(target->Path()), Slice(content, 10, 900));
        ASSERT_EQ(platform.ProgressWindows().size(), 2u);
        EXPECT_FALSE(platform.ProgressWindows()[1].cancelEnabled);
        EXPECT_TRUE(platform.Messages().empty());
        holder.Clear();
        platform.OnPump(nullptr);
        EXPECT_TRUE(OpenFilesIn(temp.Path()).empty());
        EXPECT_TRUE(TempDirEmpty());
    }
}

TEST_F(ClipTest, LargeCopiesShowProgressAndCanBeCancelled) {
    const std::vector<OByte> big = Iota(3 << 20);
    auto file = Open("big.bin", big);
    for (std::uint64_t limit : {0u, 4u << 20}) {
        SCOPED_TRACE(limit);
        platform.Clear();
        OClipHolder holder(limit);
        ASSERT_TRUE(holder.Set(*file, 0, 3 << 20, tempDir));
        EXPECT_EQ(platform.StatusHistory().at(0), "Copy 3 Mb ...");
        ASSERT_EQ(platform.ProgressWindows().size(), 1u);
        EXPECT_TRUE(platform.ProgressWindows()[0].cancelEnabled);
        auto target = Open("target.bin", {});
        ASSERT_TRUE(holder.PasteTo(*target, 0));
        EXPECT_EQ(ReadWholeFile(target->Path()), big);

        platform.CancelAtProgressStep(1);
        EXPECT_FALSE(holder.Set(*file, 0, 3 << 20, tempDir));
        EXPECT_FALSE(holder.IsValid());
        EXPECT_EQ(platform.StatusHistory().back(), "");
        platform.CancelAtProgressStep(0);
    }
}

TEST_F(ClipTest, FileStoreCreationFailureLeavesNoStore) {
    OClipHolder holder(0);
    ASSERT_TRUE(holder.Set(*source, 0, 10, tempDir));
    const std::string missing = temp.Path() + "/missing/";
    EXPECT_FALSE(holder.Set(*source, 0, 10, missing));
    EXPECT_EQ(platform.MessageTexts(),
              std::vector<std::string>{missing + "Quorvalis.clip: No such file or directory"});
    EXPECT_FALSE(holder.IsValid());
    EXPECT_EQ(holder.Length(), 0);
    auto target = Open("target.bin", Iota(4));
    EXPECT_FALSE(holder.PasteTo(*target, 0));
    EXPECT_TRUE(Peek(holder, 4).empty());
    EXPECT_EQ(ReadWholeFile(target->Path()), Iota(4));
}

TEST_F(ClipTest, CancelledOrFailedCopyLeavesNoValidStore) {
    OClipHolder holder(0);
    ASSERT_TRUE(holder.Set(*source, 0, 10, tempDir));
    OTransferBuffer::SetLimitForTesting(64);
    platform.CancelAtProgressStep(3);
    EXPECT_FALSE(holder.Set(*source, 0, 1000, tempDir));
    EXPECT_FALSE(holder.IsValid()); // the previous store went first
    EXPECT_TRUE(Peek(holder, 4).empty());
    auto target = Open("target.bin", Iota(4));
    EXPECT_FALSE(holder.PasteTo(*target, 0));
    EXPECT_TRUE(OpenFilesIn(temp.Path()).empty());

    // A store made directly stays invalid after Cancel.
    platform.CancelAtProgressStep(2);
    OClipFileStore store(tempDir);
    EXPECT_TRUE(store.IsValid());
    EXPECT_FALSE(store.Store(*source, 0, 1000));
    EXPECT_FALSE(store.IsValid());
    EXPECT_FALSE(store.WriteTo(*target, 0));
    platform.CancelAtProgressStep(0);

    // A failed read, in either store.
    for (std::uint64_t limit : {0u, 1u << 20}) {
        OFaultyFileIo io;
        io.failReadAt = 1;
        ODiskFile faulty(io);
        ASSERT_TRUE(faulty.Open(source->Path(), OAccess::Read, ODisposition::OpenExisting));
        OClipHolder other(limit);
        platform.Clear();
        EXPECT_FALSE(other.Set(faulty, 0, 1000, tempDir));
        EXPECT_FALSE(other.IsValid());
        EXPECT_FALSE(platform.Messages().empty());
    }
}

TEST_F(ClipTest, PasteInsideTheCopiedRangePastesTheSnapshot) {
    for (std::uint64_t limit : {0u, 1u << 20}) {
        SCOPED_TRACE(limit);
        source = Open("source.bin", content);
        OClipHolder holder(limit);
        ASSERT_TRUE(holder.Set(*source, 100, 200, tempDir));
        // Insert the copy in the middle of the range it was copied from.
        ASSERT_TRUE(ResizeRegion(*source, 150, 0, holder.Length()));
        ASSERT_TRUE(holder.PasteTo(*source, 150));
        std::vector<OByte> expected = Slice(content, 0, 150);
        for (const auto& part : {Slice(content, 100, 200), Slice(content, 150, 850)})
            expected.insert(expected.end(), part.begin(), part.end());
        EXPECT_EQ(ReadWholeFile(source->Path()), expected);
    }
}

TEST_F(ClipTest, HolderReplacesThePreviousStore) {
    OClipHolder holder(500);
    ASSERT_TRUE(holder.Set(*source, 0, 800, tempDir)); // a file
    EXPECT_EQ(OpenFilesIn(temp.Path()).size(), 1u);
    ASSERT_TRUE(holder.Set(*source, 5, 3, tempDir)); // memory
    EXPECT_TRUE(OpenFilesIn(temp.Path()).empty());
    EXPECT_EQ(holder.Length(), 3);
    EXPECT_EQ(Peek(holder, 10), Slice(content, 5, 3));
    ASSERT_TRUE(holder.Set(*source, 990, 50, tempDir)); // past the end: what is there
    EXPECT_EQ(holder.Length(), 10);
    EXPECT_EQ(Peek(holder, 10), Slice(content, 990, 10));
}

TEST_F(ClipTest, CopyTextStopsAtTheFirstZeroByte) {
    auto file = Open("text.bin", Bytes(std::string("say\0more", 8)));
    EXPECT_TRUE(CopyText(*file, 0, 8, false));
    EXPECT_EQ(platform.clipboardText, "say");
    EXPECT_TRUE(CopyText(*file, 1, 1, false));
    EXPECT_EQ(platform.clipboardText, "a");
    EXPECT_TRUE(CopyText(*file, 3, 5, false));
    EXPECT_EQ(platform.clipboardText, "");
}

TEST_F(ClipTest, CopyTextPassesUtf8AndReplacesMalformedBytes) {
    auto file = Open("text.bin", Bytes("caf\xC3\xA9 \xE2\x82\xAC\xFF|\xC3|\xED\xA0\x80|\xE2\x82"));
    EXPECT_TRUE(CopyText(*file, 0, file->GetSize(), false));
    EXPECT_EQ(platform.clipboardText, "caf\xC3\xA9 \xE2\x82\xAC?|?|???|??");
    EXPECT_EQ(PasteText(false), Bytes("caf\xC3\xA9 \xE2\x82\xAC?|?|???|??"));
}

TEST_F(ClipTest, OemTextRoundTripsThroughUtf8) {
    std::vector<OByte> bytes = Iota(0xE0 - 0xB0, 0xB0);
    bytes.insert(bytes.end(), {'\r', '\n', '\t', 'A'});
    auto file = Open("oem.bin", bytes);
    EXPECT_TRUE(CopyText(*file, 0, static_cast<OOffset>(bytes.size()), true));
    ASSERT_TRUE(platform.clipboardText);
    EXPECT_EQ(platform.clipboardText->substr(0, 3), "\xE2\x96\x91"); // 0xB0: light shade
    EXPECT_EQ(platform.clipboardText->substr(platform.clipboardText->size() - 4), "\r\n\tA");
    EXPECT_EQ(PasteText(true), bytes);
}

TEST_F(ClipTest, PasteTextTakesTheTextUpToItsFirstNul) {
    platform.clipboardText = std::string("ab\0cd", 5);
    EXPECT_EQ(PasteText(false), Bytes("ab"));
    platform.clipboardText = "\xE2\x94\x80x"; // a box-drawing line
    EXPECT_EQ(PasteText(true), (std::vector<OByte>{0xC4, 'x'}));
    EXPECT_EQ(PasteText(false), Bytes("\xE2\x94\x80x"));
    platform.clipboardText.reset();
    EXPECT_FALSE(PasteText(false));
    platform.clipboardText = "text";
    platform.clipboardFails = true;
    EXPECT_FALSE(PasteText(false));
    EXPECT_FALSE(PasteText(true));
    EXPECT_TRUE(platform.Messages().empty());
}

TEST_F(ClipTest, CopyTextFailures) {
    platform.clipboardFails = true;
    EXPECT_FALSE(CopyText(*source, 0, 10, false));
    EXPECT_EQ(platform.MessageTexts(),
              std::vector<std::string>{"Cannot put the text on the clipboard"});
    platform.Clear();
    platform.clipboardFails = false;
    EXPECT_FALSE(CopyText(*source, 0, kMaxClipboardText + 1, false));
    EXPECT_EQ(
        platform.MessageTexts(),
        std::vector<std::string>{"Too long to copy as text: 536870912 bytes (at most 536870911)"});
    EXPECT_FALSE(platform.clipboardText);
}

} // namespace
