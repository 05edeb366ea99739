#include "platform/OIniFile.h"

#include "support/OTempDir.h"

#include <cerrno>
#include <climits>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <sys/stat.h>

using namespace std::string_view_literals;

namespace {

std::set<std::string> DirNames(const std::string& dir) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        names.insert(entry.path().filename().string());
    return names;
}

OIniFile Parsed(std::string_view text) {
    OIniFile ini;
    ini.Parse(text);
    return ini;
}

} // namespace

TEST(OIniFile, RoundTripThroughDisk) {
    OTempDir dir;
    const std::string path = dir.File("q.ini");
    OIniFile ini(path);
    EXPECT_FALSE(ini.Load());
    ini.WriteString("General", "FontName", "Lucida Console");
    ini.WriteInt("General", "FontSize", -12);
    ini.WriteString("Recent list", "File1", "/a b/c.bin");
    ASSERT_TRUE(ini.Flush());
    EXPECT_FALSE(ini.Dirty());
    // A new file holds histories and paths: its owner's alone.
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    OIniFile back(path);
    ASSERT_TRUE(back.Load());
    EXPECT_EQ(back.GetString("General", "FontName"), "Lucida Console");
    EXPECT_EQ(back.GetInt("General", "FontSize", 0), -12);
    EXPECT_EQ(back.GetString("Recent list", "File1"), "/a b/c.bin");
    EXPECT_FALSE(back.Dirty());
}

TEST(OIniFile, NamesIgnoreCase) {
    OIniFile ini = Parsed("[General]\nFontSize=12\n");
    EXPECT_EQ(ini.GetInt("general", "FONTSIZE", 0), 12);
    ini.WriteString("GENERAL", "fontsize", "14");
    EXPECT_EQ(ini.KeyCount("General"), 1u);
    EXPECT_EQ(ini.Serialize(), "[General]\nFontSize=14\n");
}

TEST(OIniFile, GetIntRules) {
    const OIniFile ini = Parsed("[S]\nword=abc\nlead=12abc\nneg=-5\nplus=+5\nempty=\n"
                                "big=99999999999999\nsmall=-99999999999999\n"
                                "max1=2147483648\nmin=-2147483648\n");
    EXPECT_EQ(ini.GetInt("S", "missing", 7), 7);
    EXPECT_EQ(ini.GetInt("T", "word", 7), 7);
    EXPECT_EQ(ini.GetInt("S", "word", 7), 0);
    EXPECT_EQ(ini.GetInt("S", "empty", 7), 0);
    EXPECT_EQ(ini.GetInt("S", "lead", 7), 12);
    EXPECT_EQ(ini.GetInt("S", "neg", 7), -5);
    EXPECT_EQ(ini.GetInt("S", "plus", 7), 5);
    EXPECT_EQ(ini.GetInt("S", "big", 7), INT_MAX);
    EXPECT_EQ(ini.GetInt("S", "small", 7), INT_MIN);
    EXPECT_EQ(ini.GetInt("S", "max1", 7), INT_MAX);
    EXPECT_EQ(ini.GetInt("S", "min", 7), INT_MIN);
}

TEST(OIniFile, FirstOfDuplicateKeysWins) {
    const OIniFile ini = Parsed("[S]\nk=first\nK=second\n[s]\nk=third\n");
    EXPECT_EQ(ini.GetString("S", "k"), "first");
}

TEST(OIniFile, RewriteKeepsUnparsedLines) {
    const std::string text = "stray line\n; top comment\n\n[S]\n;x\nk=v\n;a=b\n[unterminated\n"
                             "=novalue\n";
    OIniFile ini = Parsed(text);
    EXPECT_EQ(ini.Serialize(), text);
    EXPECT_FALSE(ini.HasKey("S", ";a"));
    ini.WriteString("S", "k", "w");
    ini.WriteString("New", "n", "1");
    EXPECT_EQ(ini.Serialize(), "stray line\n; top comment\n\n[S]\n;x\nk=w\n;a=b\n[unterminated\n"
                               "=novalue\n[New]\nn=1\n");
}

TEST(OIniFile, DeleteSectionAndKey) {
    OIniFile ini = Parsed("[A]\nk=1\n[B]\nk=2\nj=3\n");
    ini.DeleteSection("a");
    EXPECT_FALSE(ini.HasKey("A", "k"));
    ini.DeleteKey("B", "K");
    EXPECT_EQ(ini.Serialize(), "[B]\nj=3\n");
    EXPECT_TRUE(ini.Dirty());
}

TEST(OIniFile, WrittenTextCannotBreakStructure) {
    OIniFile ini;
    ini.WriteString("S", "K", "a\nb\r[X]\nZ=1\0z"sv);
    ini.WriteString("S", "After", "ok");
    // Section names may come from file names, which can hold brackets.
    ini.WriteString("photo [1].bin", "K", "v");
    const OIniFile back = Parsed(ini.Serialize());
    EXPECT_FALSE(back.HasKey("X", "Z"));
    EXPECT_EQ(back.KeyCount("S"), 2u);
    EXPECT_EQ(back.GetString("S", "After"), "ok");
    EXPECT_EQ(back.GetString("photo [1].bin", "K"), "v");
}

TEST(OIniFile, MalformedFileLoadsWithDefaults) {
    OTempDir dir;
    std::string junk;
    unsigned seed = 12345;
    for (int i = 0; i < 100000; ++i) {
        seed = seed * 1103515245u + 12345u;
        junk += static_cast<char>(seed >> 16);
    }
    junk += '\0';
    junk += "\n" + std::string(1 << 20, 'x') + "\n[unterminated\n=novalue\n[\n]\n[]\nk=v\n";
    OIniFile ini(dir.Write("junk.ini", junk));
    ASSERT_TRUE(ini.Load());
    EXPECT_EQ(ini.GetInt("S", "K", 5), 5);
    EXPECT_EQ(ini.GetString("unterminated", "k", "d"), "d");
}

TEST(OIniFile, OversizedFileIsCutAtLimit) {
    OTempDir dir;
    std::string text = "[A]\nX=1\n;";
    text.resize(OIniFile::kMaxFileSize, 'p');
    text += "\n[B]\nY=2\n";
    OIniFile ini(dir.Write("big.ini", text));
    ASSERT_TRUE(ini.Load());
    EXPECT_EQ(ini.GetInt("A", "X", 0), 1);
    EXPECT_FALSE(ini.HasKey("B", "Y"));
    EXPECT_LE(ini.Serialize().size(), OIniFile::kMaxFileSize + 1);
}

TEST(OIniFile, FailedFlushStaysDirty) {
    OTempDir dir;
    OIniFile missingDir(dir.File("none/q.ini"));
    missingDir.WriteInt("S", "K", 1);
    errno = 0;
    EXPECT_FALSE(missingDir.Flush());
    EXPECT_EQ(errno, ENOENT);
    EXPECT_TRUE(missingDir.Dirty());
}

TEST(OIniFile, CleanFlushWritesNothing) {
    OTempDir dir;
    OIniFile ini(dir.File("q.ini"));
    ini.Load();
    EXPECT_TRUE(ini.Flush());
    EXPECT_TRUE(DirNames(dir.Path()).empty());
}
