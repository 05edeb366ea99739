#include "app/OCommandLine.h"

#include "app/ORecentFileList.h"

#include <climits>
#include <gtest/gtest.h>

namespace {

using Files = std::vector<std::pair<std::string, int>>;

OCommandLine ParseArgs(const std::vector<std::string>& args, bool filesExist = false) {
    return OCommandLine::Parse(args, [filesExist](const std::string&) { return filesExist; });
}

Files FilesOf(const OCommandLine& line) {
    Files files;
    for (const auto& f : line.files)
        files.emplace_back(f.path, f.recordWidth);
    return files;
}

} // namespace

TEST(OCommandLine, WidthAppliesToFilesAfterIt) {
    EXPECT_EQ(FilesOf(ParseArgs({"/W32", "a.bin", "b.bin"})),
              (Files{{"a.bin", 32}, {"b.bin", 32}}));
    EXPECT_EQ(FilesOf(ParseArgs({"a.bin", "/W32", "b.bin", "-w8", "c"})),
              (Files{{"a.bin", -1}, {"b.bin", 32}, {"c", 8}}));
    // C base prefixes: 0x hex, leading 0 octal.
    EXPECT_EQ(FilesOf(ParseArgs({"-w0x10", "a"})), (Files{{"a", 16}}));
    EXPECT_EQ(FilesOf(ParseArgs({"/W010", "a"})), (Files{{"a", 8}}));
    EXPECT_EQ(FilesOf(ParseArgs({"/W99999999999999999999", "a"})), (Files{{"a", INT_MAX}}));
}

TEST(OCommandLine, BadSwitchStopsParsing) {
    // A bare "-" and Qt's own options are switches of the program too, and wrong.
    for (const char* bad : {"/W", "/X", "/Wx", "-q", "-W-5", "-", "-style"}) {
        const OCommandLine line = ParseArgs({"a", bad, "b"});
        EXPECT_TRUE(line.error) << bad;
        EXPECT_EQ(FilesOf(line), (Files{{"a", -1}})) << bad;
    }
}

TEST(OCommandLine, HelpAndEmpty) {
    EXPECT_TRUE(ParseArgs({"a", "-h"}).help);
    EXPECT_TRUE(ParseArgs({"--help"}).help);
    const OCommandLine empty = ParseArgs({});
    EXPECT_TRUE(empty.files.empty());
    EXPECT_FALSE(empty.error);
    EXPECT_FALSE(empty.help);
}

TEST(OCommandLine, SlashPathsAreFiles) {
    const OCommandLine line = ParseArgs({"/W16", "/home/u/a.bin"});
    EXPECT_FALSE(line.error);
    EXPECT_EQ(FilesOf(line), (Files{{"/home/u/a.bin", 16}}));
    const OCommandLine existing = ParseArgs({"/abc"}, true);
    EXPECT_FALSE(existing.error);
    EXPECT_EQ(FilesOf(existing), (Files{{"/abc", -1}}));
    EXPECT_TRUE(ParseArgs({"/abc"}).error);
}

TEST(ORecentFileList, AddRemoveAndLimit) {
    ORecentFileList list(3);
    for (const char* path : {"/a", "/b", "/c", "/d"})
        list.Add(path);
    EXPECT_EQ(list.Entries(), (std::vector<std::string>{"/d", "/c", "/b"}));
    list.Add("/b");
    EXPECT_EQ(list.Entries(), (std::vector<std::string>{"/b", "/d", "/c"}));
    list.Add("");
    list.Remove(1);
    list.Remove(7);
    EXPECT_EQ(list.Entries(), (std::vector<std::string>{"/b", "/c"}));

    ORecentFileList cased(4);
    cased.Add("/a/X");
    cased.Add("/a/x");
    EXPECT_EQ(cased.Entries().size(), 2u);
}

TEST(ORecentFileList, IniRoundTrip) {
    ORecentFileList list(4);
    for (const char* path : {"/a", "/b", "/c"})
        list.Add(path);
    OIniFile ini;
    ini.WriteString("Recent list", "File4", "/stale");
    list.Write(ini);
    EXPECT_EQ(ini.Serialize(), "[Recent list]\nFile1=/c\nFile2=/b\nFile3=/a\n");

    ORecentFileList smaller(2);
    smaller.Read(ini);
    EXPECT_EQ(smaller.Entries(), (std::vector<std::string>{"/c", "/b"}));

    OIniFile damaged;
    damaged.Parse("[recent LIST]\nFile1=/x\nFile2=\nFile3=/x\nFile4=/y\n");
    list.Read(damaged);
    EXPECT_EQ(list.Entries(), (std::vector<std::string>{"/x", "/y"}));
}

TEST(ORecentFileList, MenuText) {
    ORecentFileList list(4);
    list.Add("/home/user/projects/quorvalis/samples/data/file.bin");
    list.Add("/tmp/R&D.bin");
    EXPECT_EQ(list.MenuText(0), "&1 /tmp/R&&D.bin");
    EXPECT_EQ(list.MenuText(9), "");

    const std::string shortened = list.MenuText(1).substr(3);
    EXPECT_LE(shortened.size(), 30u);
    EXPECT_EQ(shortened.substr(0, 3), "...");
    EXPECT_EQ(shortened.substr(shortened.size() - 9), "/file.bin");

    // The file name stays whole even when it alone is too long.
    const std::string name(40, 'n');
    list.Add("/a/b/" + name);
    EXPECT_EQ(list.MenuText(0), "&1 .../" + name);
}
