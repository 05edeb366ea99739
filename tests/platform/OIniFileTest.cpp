#include "platform/OIniFile.h"

#include "support/OTempDir.h"

#include <cerrno>
#include <climits>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

using namespace std::string_view_literals;

namespace {

OIniFile Parsed(std::string_view text) {
    OIniFile ini;
    ini.Parse(text);
    return ini;
}

} // namespace

// A new file holds histories and paths: its owner's alone. Nothing changed,
// nothing is written; a failed write leaves the changes to write.
TEST(OIniFile, FlushWritesChangesOnlyAndStaysDirtyOnFailure) {
    OTempDir dir;
    const std::string path = dir.File("q.ini");
    OIniFile ini(path);
    EXPECT_FALSE(ini.Load());
    EXPECT_TRUE(ini.Flush());
    EXPECT_FALSE(std::filesystem::exists(path));
    ini.WriteString("General", "FontName", "Lucida Console");
    ini.WriteInt("General", "FontSize", -12);
    ini.WriteString("Recent list", "File1", "/a b/c.bin");
    ASSERT_TRUE(ini.Flush());
    EXPECT_FALSE(ini.Dirty());
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    OIniFile back(path);
    ASSERT_TRUE(back.Load());
    EXPECT_EQ(back.Serialize(), ini.Serialize());
    EXPECT_EQ(back.GetInt("General", "FontSize", 0), -12);
    EXPECT_EQ(back.GetString("Recent list", "File1"), "/a b/c.bin");

    OIniFile missingDir(dir.File("none/q.ini"));
    missingDir.WriteInt("S", "K", 1);
    errno = 0;
    EXPECT_FALSE(missingDir.Flush());
    EXPECT_EQ(errno, ENOENT);
    EXPECT_TRUE(missingDir.Dirty());
}

// Names match without regard to case and the first of duplicates counts;
// edits keep every line they do not touch, comments and junk included.
TEST(OIniFile, EditsKeepTheLinesAroundThem) {
    const std::string text = "stray line\n; top comment\n\n[S]\n;x\nk=v\nK=second\n;a=b\n"
                             "[unterminated\n=novalue\n[s]\nk=third\n[B]\nj=3\n";
    OIniFile ini = Parsed(text);
    EXPECT_EQ(ini.Serialize(), text);
    EXPECT_EQ(ini.GetString("s", "K"), "v");
    EXPECT_FALSE(ini.HasKey("S", ";a"));
    ini.WriteString("s", "K", "w");
    ini.WriteString("New", "n", "1");
    ini.DeleteKey("b", "J");
    ini.DeleteSection("unterminated");
    EXPECT_TRUE(ini.Dirty());
    EXPECT_EQ(ini.Serialize(), "stray line\n; top comment\n\n[S]\n;x\nk=w\nK=second\n;a=b\n"
                               "[unterminated\n=novalue\n[s]\nk=third\n[B]\n[New]\nn=1\n");
    ini.DeleteSection("S");
    EXPECT_FALSE(ini.HasKey("s", "k"));

    // Lookups after a key is deleted find the lines that are left.
    for (const char* key : {"a", "b", "c"})
        ini.WriteString("M", key, key);
    ini.DeleteKey("M", "A");
    EXPECT_FALSE(ini.HasKey("M", "a"));
    EXPECT_EQ(ini.GetString("M", "c"), "c");
    ini.WriteString("M", "a", "again");
    EXPECT_EQ(ini.GetString("M", "A"), "again");
}

TEST(OIniFile, GetIntRules) {
    const OIniFile ini = Parsed("[S]\nword=abc\nlead=12abc\nneg=-5\nplus=+5\nempty=\n"
                                "big=99999999999999\nsmall=-99999999999999\n"
                                "max1=2147483648\nmin=-2147483648\n");
    const std::pair<const char*, int> cases[] = {
        {"missing", 7}, {"word", 0},      {"empty", 0},       {"lead", 12},      {"neg", -5},
        {"plus", 5},    {"big", INT_MAX}, {"small", INT_MIN}, {"max1", INT_MAX}, {"min", INT_MIN}};
    for (const auto& [key, value] : cases)
        EXPECT_EQ(ini.GetInt("S", key, 7), value) << key;
    EXPECT_EQ(ini.GetInt("T", "word", 7), 7);
}

TEST(OIniFile, WrittenTextCannotBreakStructure) {
    OIniFile ini;
    ini.WriteString("S", "K", "a\nb\r[X]\nZ=1\0z"sv);
    ini.WriteString("S", "After", "ok");
    // Section names may come from file names, which can hold brackets.
    ini.WriteString("photo [1].bin", "K", "v");
    const OIniFile back = Parsed(ini.Serialize());
    // A header without a name keeps its keys out of the section before it.
    const OIniFile empty = Parsed(Parsed("[S]\nA=1\n[]\nB=2\n").Serialize());
    EXPECT_FALSE(empty.HasKey("S", "B"));
    EXPECT_FALSE(back.HasKey("X", "Z"));
    EXPECT_EQ(back.KeyCount("S"), 2u);
    EXPECT_EQ(back.GetString("S", "After"), "ok");
    EXPECT_EQ(back.GetString("photo [1].bin", "K"), "v");
}

// A file that exists but is not read whole is never written: not over its
// own content, nor through Update. Update writes its sections over what is on
// disk now, keeping what changed there since Load.
TEST(OIniFile, OnlyAFileReadWholeIsWrittenAndUpdateKeepsOtherEdits) {
    OTempDir dir;
    OIniFile::SetMaxFileSizeForTesting(64);
    const std::string big = "[A]\nX=1\n;" + std::string(60, 'p') + "\n[B]\nY=2\n";
    OIniFile partial(dir.Write("big.ini", big));
    EXPECT_TRUE(partial.Load());
    OIniFile::SetMaxFileSizeForTesting(0);
    EXPECT_EQ(partial.LoadState(), OIniFile::State::Partial);
    EXPECT_EQ(partial.LoadError(), EFBIG);
    EXPECT_EQ(partial.GetInt("A", "X", 0), 1);
    EXPECT_FALSE(partial.HasKey("B", "Y")); // the line cut by the limit is not read either
    EXPECT_EQ(partial.KeyCount("A"), 1u);
    partial.WriteInt("A", "X", 5);
    EXPECT_FALSE(partial.Flush());
    EXPECT_TRUE(partial.Update([](OIniFile& ini) { ini.WriteInt("A", "X", 6); }));
    EXPECT_EQ(ReadText(partial.Path()), big);

    const std::string locked = dir.Write("locked.ini", "[A]\nX=1\n");
    ::chmod(locked.c_str(), 0200);
    OIniFile unreadable(locked);
    if (::geteuid() != 0) { // root reads everything
        EXPECT_FALSE(unreadable.Load());
        EXPECT_EQ(unreadable.LoadError(), EACCES);
        EXPECT_FALSE(unreadable.Writable());
        EXPECT_TRUE(unreadable.Update([](OIniFile& ini) { ini.WriteInt("A", "X", 2); }));
        ::chmod(locked.c_str(), 0600);
        EXPECT_EQ(ReadText(locked), "[A]\nX=1\n");
    }
    OIniFile directory(dir.Path());
    EXPECT_FALSE(directory.Load());
    EXPECT_EQ(directory.LoadError(), EISDIR);

    // Read at start-up, then edited by hand while the program runs.
    const std::string path =
        dir.Write("q.ini", "[General]\nVersion=0.37\nFontSize=9\n[Find]\nFind1=a\n");
    OIniFile ini(path);
    ASSERT_TRUE(ini.Load());
    dir.Write("q.ini",
              "; by hand\n[General]\nVersion=0.37\nFontSize=12\n[Mine]\nk=v\n[Find]\nFind1=a\n");
    ASSERT_TRUE(ini.Update([](OIniFile& f) {
        f.DeleteSection("Find");
        f.WriteString("Find", "Find1", "b");
    }));
    EXPECT_EQ(ReadText(path),
              "; by hand\n[General]\nVersion=0.37\nFontSize=12\n[Mine]\nk=v\n[Find]\nFind1=b\n");
    EXPECT_EQ(ini.GetString("Find", "Find1"), "b");
    // Unreadable now: nothing is written, and the caller hears why.
    ::chmod(path.c_str(), 0200);
    if (::geteuid() != 0) {
        errno = 0;
        EXPECT_FALSE(ini.Update([](OIniFile& f) { f.WriteString("Find", "Find1", "c"); }));
        EXPECT_EQ(errno, EACCES);
    }
}
