#include "app/OCommandLine.h"

#include "app/ORecentFileList.h"

#include <climits>
#include <gtest/gtest.h>

namespace {

using Strings = std::vector<std::string>;
using Files = std::vector<std::pair<std::string, int>>;

} // namespace

// A width applies to the files after it; a bad switch stops parsing with an
// error, keeping the files before it.
TEST(OCommandLine, WidthsApplyToTheFilesAfterThemAndABadSwitchStops) {
    struct Case {
        Strings args;
        Files files;
        bool error = false;
        bool help = false;
        bool filesExist = false;
        bool version = false;
    };
    std::vector<Case> cases = {
        {{"/W32", "a.bin", "b.bin"}, {{"a.bin", 32}, {"b.bin", 32}}},
        {{"a.bin", "/W32", "b.bin", "-w8", "c"}, {{"a.bin", -1}, {"b.bin", 32}, {"c", 8}}},
        // C base prefixes: 0x hex, leading 0 octal; past int it is held to it.
        {{"-w0x10", "a"}, {{"a", 16}}},
        {{"/W010", "a"}, {{"a", 8}}},
        {{"/W99999999999999999999", "a"}, {{"a", INT_MAX}}},
        // A slash begins a path when another follows or the file exists.
        {{"/W16", "/home/u/a.bin"}, {{"/home/u/a.bin", 16}}},
        {{"/abc"}, {{"/abc", -1}}, false, false, true},
        {{"/abc"}, {}, true},
        {{"a", "-h"}, {{"a", -1}}, false, true},
        {{"--help"}, {}, false, true},
        {{"a", "--version", "b"}, {{"a", -1}}, false, false, false, true},
        {{}, {}}};
    // A bare "-" and Qt's own options are switches of the program too, and wrong.
    for (const char* bad : {"/W", "/X", "/Wx", "-q", "-W-5", "-", "-style", "-version", "/version"})
        cases.push_back({{"a", bad, "b"}, {{"a", -1}}, true});
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        const OCommandLine line =
            OCommandLine::Parse(c.args, [&c](const std::string&) { return c.filesExist; });
        Files files;
        for (const auto& f : line.files)
            files.emplace_back(f.path, f.recordWidth);
        EXPECT_EQ(files, c.files);
        EXPECT_EQ(line.error, c.error);
        EXPECT_EQ(line.help, c.help);
        EXPECT_EQ(line.version, c.version);
    }
}

// Help and version are answered whatever else the line holds, the first
// one asked for (the program's own answers are tests of their own).
TEST(OCommandLine, HelpAndVersionNeedNoWindow) {
    using Answer = OCommandLine::Answer;
    const std::vector<std::pair<Strings, Answer>> cases = {
        {{}, Answer::None},
        {{"/W16", "a.bin", "-version"}, Answer::None},
        {{"a.bin", "-q", "--help"}, Answer::Help},
        {{"--version", "-h"}, Answer::Version},
        {{"/X", "-h", "--version"}, Answer::Help}};
    for (const auto& [args, answer] : cases)
        EXPECT_EQ(OCommandLine::AnswerWithoutWindow(args), answer) << testing::PrintToString(args);
}

// Paths are told apart byte for byte; an empty one is not added.
TEST(ORecentFileList, AddRemoveAndLimit) {
    ORecentFileList list(3);
    for (const char* path : {"/a", "/b", "/c", "/d"})
        list.Add(path);
    EXPECT_EQ(list.Entries(), (Strings{"/d", "/c", "/b"}));
    list.Add("/b");
    EXPECT_EQ(list.Entries(), (Strings{"/b", "/d", "/c"}));
    list.Add("");
    list.Remove(1);
    list.Remove(7);
    list.Add("/B");
    EXPECT_EQ(list.Entries(), (Strings{"/B", "/b", "/c"}));
}

// Written fresh, read up to the limit; damaged lists lose their empty and
// repeated entries, and the section name's case does not matter.
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
    EXPECT_EQ(smaller.Entries(), (Strings{"/c", "/b"}));
    OIniFile damaged;
    damaged.Parse("[recent LIST]\nFile1=/x\nFile2=\nFile3=/x\nFile4=/y\n");
    list.Read(damaged);
    EXPECT_EQ(list.Entries(), (Strings{"/x", "/y"}));
}

// Ampersands doubled; long paths shortened to 30 characters from the front,
// the file name always whole.
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
    const std::string name(40, 'n');
    list.Add("/a/b/" + name);
    EXPECT_EQ(list.MenuText(0), "&1 .../" + name);
}
