#include "app/OSaveFiles.h"

#include "app/OProfile.h"
#include "platform/OFormat.h"
#include "support/OTempDir.h"
#include "support/OTestData.h"

#include <algorithm>
#include <climits>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <sstream>
#include <string>
#include <vector>

using namespace std::string_literals;

namespace {

using Strings = std::vector<std::string>;

Strings Names(const OSaveFiles& list) {
    Strings names;
    for (const auto& entry : list.Entries())
        names.push_back(entry.fileName);
    return names;
}

OViewSettings State(OOffset top, OOffset caret = 0) {
    OViewSettings s;
    s.topOffset = top;
    s.caretOffset = caret;
    return s;
}

OIniFile Parsed(std::string_view text) {
    OIniFile ini;
    ini.Parse(text);
    return ini;
}

OSaveFiles Loaded(std::string_view text, int count = 8, const OViewSettings& current = State(0)) {
    OSaveFiles list;
    list.LoadSaveFiles(Parsed(text), current, count);
    return list;
}

// Writes the list to dir's q.sav and reads it back.
OSaveFiles WrittenAndReloaded(OSaveFiles& list, const OTempDir& dir, int count) {
    OIniFile sav(dir.File("q.sav"));
    EXPECT_TRUE(list.WriteSaveFiles(sav, count));
    OIniFile back(dir.File("q.sav"));
    back.Load();
    OSaveFiles reloaded;
    reloaded.LoadSaveFiles(back, State(0), count);
    return reloaded;
}

} // namespace

// The file closed last comes first; storing a file again replaces its entry;
// the oldest go past the count, which never passes the largest setting.
TEST(OSaveFiles, StoringPutsTheFileFirstAndDropsTheOldest) {
    OSaveFiles list;
    for (const char* name : {"/a", "/b", "/c", "/d"})
        list.StoreState(name, 1, State(name[1]), {name}, 3);
    EXPECT_EQ(Names(list), (Strings{"/d", "/c", "/b"}));
    list.StoreState("/b", 4, State(0x40), {"m2", "m3"}, 3);
    list.StoreState("", 10, State(0), {}, 3); // never saved: not remembered
    ASSERT_EQ(Names(list), (Strings{"/b", "/d", "/c"}));
    EXPECT_EQ(list.Entries()[0].fileLength, 4);
    EXPECT_EQ(list.Entries()[0].viewState.topOffset, 0x40);
    EXPECT_EQ(list.Entries()[0].markers, (Strings{"m2", "m3"}));
    list.StoreState("/e", 1, State(0), {}, 2);
    EXPECT_EQ(Names(list), (Strings{"/e", "/b"}));
    for (int i = 0; i < 100; ++i)
        list.StoreState("/x" + std::to_string(i), 1, State(0), {}, INT_MAX);
    EXPECT_EQ(list.Entries().size(), std::size_t(OSaveFiles::kMaxCount));
}

// Paths match byte for byte, as the file system compares them.
TEST(OSaveFiles, RestoreMovesTheExactPathToTheFront) {
    OSaveFiles list;
    list.StoreState("/data/A.BIN", 1, State(0x10, 0x11), {"ma"}, 4);
    list.StoreState("/b", 2, State(0x20), {}, 4);
    list.StoreState("/data/a.bin", 3, State(0x30), {}, 4);
    for (const char* other : {"/DATA/A.BIN", "/data/A.BIN ", "/missing", ""})
        EXPECT_EQ(list.RestoreState(other, 4), nullptr) << other;
    const OSaveFiles::Entry* entry = list.RestoreState("/data/A.BIN", 4);
    ASSERT_EQ(entry, &list.Entries().front());
    EXPECT_EQ(entry->viewState.caretOffset, 0x11);
    EXPECT_EQ(entry->markers, Strings{"ma"});
    EXPECT_EQ(Names(list), (Strings{"/data/A.BIN", "/data/a.bin", "/b"}));
    OTempDir dir;
    OSaveFiles back = WrittenAndReloaded(list, dir, 4);
    EXPECT_EQ(Names(back), Names(list));
    EXPECT_EQ(back.RestoreState("/data/a.bin", 4)->viewState.topOffset, 0x30);
}

// Off, the list neither changes, restores nor writes: entries read while it
// was on are not restored.
TEST(OSaveFiles, CountZeroTouchesNothingAndRestoresNothing) {
    OTempDir dir;
    const std::string text = "[Save0]\nFilename=/a\nFilelength=0x10\nOffsetTop=0x20\n";
    const std::string path = dir.Write("q.sav", text);
    OIniFile sav(path);
    sav.Load();
    OSaveFiles list;
    list.LoadSaveFiles(sav, State(0), 0);
    list.StoreState("/b", 5, State(0), {}, 0);
    EXPECT_TRUE(list.Entries().empty());
    list.LoadSaveFiles(sav, State(0), 3);
    list.StoreState("/b", 5, State(0), {}, 3);
    for (int count : {0, -1})
        EXPECT_EQ(list.RestoreState("/a", count), nullptr);
    EXPECT_EQ(Names(list), (Strings{"/b", "/a"}));
    EXPECT_TRUE(list.WriteSaveFiles(sav, 0) && list.WriteSaveFiles(sav, -5));
    EXPECT_EQ(ReadText(path), text);
    EXPECT_FALSE(sav.Dirty());
}

// Every per-file value and marker is written under its key and read back:
// written again, the file comes out the same.
TEST(OSaveFiles, RoundTripThroughTheFileKeepsEveryPerFileValue) {
    OViewSettings s = State(0x123456789AB, 0x1F);
    s.paneOffset = s.paneHex = s.readOnly = false;
    s.oemCharacters = s.fitRecord = true;
    s.recordWidth = 37;
    s.fontName = "DejaVu Sans Mono";
    s.fontSize = 14;
    const Strings markers = {"0x10 0x1F 0xFF 0xFF00 first", "0x40 0x40 0x0 0xFFFFFF second",
                             "0x7FFFFFFFFFFF 0x800000000000 0x1 0x2 third"};
    OSaveFiles list;
    list.StoreState("/plain.bin", 7, State(-3), {}, 8); // a phase
    list.StoreState("/home/user/My Files/data [1].bin", kOffsetMax, s, markers, 8);
    OTempDir dir;
    OIniFile sav(dir.File("q.sav"));
    ASSERT_TRUE(list.WriteSaveFiles(sav, 8));
    OIniFile written(dir.File("q.sav"));
    ASSERT_TRUE(written.Load());
    Strings keys;
    for (const auto& [key, value] : written.Entries("Save0"))
        keys.push_back(key + "=" + value);
    EXPECT_EQ(keys,
              (Strings{"Filename=/home/user/My Files/data [1].bin", "Filelength=0x7FFFFFFFFFFFFFFF",
                       "OffsetTop=0x123456789AB", "OffsetCurrent=0x1F", "PaneOffset=0", "PaneHex=0",
                       "PaneText=1", "OEM=1", "RecordWidth=37", "RecordFit=1",
                       "FontName=DejaVu Sans Mono", "FontSize=14", "Read-only=0", "MarkerCount=3",
                       "Marker0=" + markers[0], "Marker1=" + markers[1], "Marker2=" + markers[2]}));
    EXPECT_EQ(written.GetString("Save1", "Filelength"), "0x7");
    EXPECT_EQ(written.GetString("Save1", "OffsetTop"), "-0x3");
    EXPECT_FALSE(written.HasKey("Save1", "MarkerCount"));

    OViewSettings current = State(0, 99);
    current.recordWidth = 8;
    OSaveFiles back;
    back.LoadSaveFiles(written, current, 8);
    ASSERT_EQ(Names(back), Names(list));
    EXPECT_EQ(back.Entries()[0].fileLength, kOffsetMax);
    EXPECT_EQ(back.Entries()[0].markers, markers);
    OIniFile again(dir.File("again.sav"));
    ASSERT_TRUE(back.WriteSaveFiles(again, 8));
    EXPECT_EQ(ReadText(dir.File("again.sav")), ReadText(dir.File("q.sav")));
}

// Writing replaces the whole file; entries of empty files and names it
// cannot hold leave their numbers unused, and nothing left removes it.
TEST(OSaveFiles, WritingReplacesTheWholeFileAndLeavesOutWhatItCannotHold) {
    OTempDir dir;
    const std::string path = dir.Write("q.sav", "; note\n[Other]\nKey=1\n[Save0]\nFilename=/old\n"
                                                "Filelength=0x10\nStray=1\n[Save9]\nFilename=/x\n");
    OSaveFiles list;
    list.StoreState("/a", 10, State(0), {}, 10);
    list.StoreState("/empty", 0, State(0), {}, 10);
    for (const std::string& name : {"/a\nb"s, "/a\rb"s, "/a\0b"s, "/a "s, " /a"s, "/a\t"s, "/a b"s})
        list.StoreState(name, 3, State(0), {}, 10);
    OIniFile sav(path);
    sav.Load();
    ASSERT_TRUE(list.WriteSaveFiles(sav, 10));
    const std::string text = ReadText(path);
    EXPECT_EQ(std::count(text.begin(), text.end(), '['), 2) << text; // Save0 and Save8 only
    EXPECT_EQ(text.find("note"), std::string::npos);
    EXPECT_EQ(text.find("Stray"), std::string::npos);
    OIniFile back(path);
    back.Load();
    EXPECT_EQ(back.GetString("Save0", "Filename"), "/a b");
    EXPECT_EQ(back.GetString("Save8", "Filename"), "/a");
    EXPECT_EQ(list.Entries().size(), 9u); // still there for the rest of the run

    OSaveFiles empty;
    empty.StoreState("/empty", 0, State(0), {}, 4);
    ASSERT_TRUE(empty.WriteSaveFiles(sav, 4));
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_TRUE(empty.WriteSaveFiles(sav, 4)); // and when there was no file to begin with
    OIniFile missingDir(dir.File("missing/q.sav"));
    EXPECT_FALSE(list.WriteSaveFiles(missingDir, 4));
}

// A section counts with a name, a length above 0 and a name not taken by
// an earlier one; gaps are skipped; the count limits what is read.
TEST(OSaveFiles, LoadingKeepsUsableEntriesUpToTheCount) {
    OSaveFiles list = Loaded("[Save0]\nFilename=/no-length\n"
                             "[Save1]\nFilelength=0x10\n"
                             "[Save2]\nFilename=/zero\nFilelength=0x0\n"
                             "[Save3]\nFilename=/negative\nFilelength=-0x10\n"
                             "[Save4]\nFilename=/garbage\nFilelength=lots\n"
                             "[Save5]\nFilename=/overflow\nFilelength=0x1FFFFFFFFFFFFFFFF\n"
                             "[Save7]\nFilename=   \nFilelength=0x10\n"
                             "[Save8]\nFilename=/good\nFilelength= 12 trailing\n"
                             "[Save9]\nFilename=/crlf\r\nFilelength=0x20\r\nOffsetTop=0x8\r\n"
                             "[Save10]\nFilename=/good\nFilelength=5\n"
                             "[Save11]\nFilename=/c\nFilename=/d\nFilelength=5\nFilelength=6\n"
                             "[Save8]\nFilename=/shadowed\nFilelength=3\n",
                             12);
    ASSERT_EQ(Names(list), (Strings{"/good", "/crlf", "/c"}));
    EXPECT_EQ(list.Entries()[0].fileLength, 12);
    EXPECT_EQ(list.Entries()[1].viewState.topOffset, 8);
    EXPECT_EQ(list.Entries()[2].fileLength, 5);
    list.StoreState("/stale", 3, State(0), {}, 4);
    std::string text;
    for (int i = 0; i < 70; ++i)
        text += Format("[Save%d]\nFilename=/f%d\nFilelength=1\n", i, i);
    list.LoadSaveFiles(Parsed(text), State(0), 2);
    EXPECT_EQ(Names(list), (Strings{"/f0", "/f1"}));
    list.LoadSaveFiles(Parsed(text), State(0), INT_MAX);
    EXPECT_EQ(list.Entries().size(), std::size_t(OSaveFiles::kMaxCount));
    EXPECT_EQ(list.Entries().back().fileName, "/f63");
}

// Each view state starts from the current one and takes the keys found; a
// top offset that is negative or unreadable reads as -1, a width or font
// size out of range is held to it, an empty font name is none. A damaged
// marker count must not turn into billions of lookups.
TEST(OSaveFiles, MissingOrBadValuesAreSettledOnLoad) {
    OViewSettings current = State(0x55, 3);
    current.recordWidth = 24;
    current.fontName = "Monospace";
    current.oemCharacters = true;
    const OSaveFiles list =
        Loaded("[Save0]\nFilename=/bare\nFilelength=1\nFontName=\nMarkerCount=2147483647\n"
               "Marker0=a\nMarker5=b\nMarker99999999999=c\nMarker-1=d\nMarkerX=e\n"
               "[Save1]\nFilename=/neg\nFilelength=1\nOffsetTop=-0x10\nOffsetCurrent=-0x5\n"
               "RecordWidth=2000000\nFontSize=-3\nMarkerCount=999999999999999\nMarker1=x\n"
               "[Save2]\nFilename=/overflow\nFilelength=1\nOffsetTop=0x10000000000000000\n"
               "OffsetCurrent=99999999999999999999\nRecordWidth=99999999999999\nMarkerCount=-4\n"
               "Marker0=z\n"
               "[Save3]\nFilename=/junk\nFilelength=1\nOffsetTop=0xZZ\nOffsetCurrent=\n"
               "RecordWidth=-8\nFontSize=99999\nPaneHex=0\nPaneText=0\nMarkerCount=2\nMarker0=p\n"
               "Marker2=q\n"
               "[Save4]\nFilename=/far\nFilelength=1\nOffsetTop= 0x7FFFFFFFFFFFFFFF\n"
               "OffsetCurrent=0x7FFFFFFFFFFFFFFF\nRecordWidth=1048577\n",
               8, current);
    ASSERT_EQ(list.Entries().size(), 5u);
    const auto state = [&](int i) -> const OViewSettings& { return list.Entries()[i].viewState; };
    EXPECT_EQ(state(0).fontName, "Monospace");
    EXPECT_TRUE(state(0).oemCharacters);
    // A negative top is kept: it is how a phase is stored.
    const OOffset tops[] = {-1, -16, -1, -1, kOffsetMax};
    const OOffset carets[] = {3, 3, 3, 3, kOffsetMax};
    const int widths[] = {24, 1048576, 1048576, 24, 1048576};
    const Strings markers[] = {{"a", "b"}, {"", "x"}, {}, {"p"}, {}};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(state(i).topOffset, tops[i]) << i;
        EXPECT_EQ(state(i).caretOffset, carets[i]) << i;
        EXPECT_EQ(state(i).recordWidth, widths[i]) << i;
        EXPECT_EQ(list.Entries()[i].markers, markers[i]) << i;
    }
    EXPECT_EQ(state(1).fontSize, 9);
    EXPECT_EQ(state(3).fontSize, 144);
    EXPECT_TRUE(state(3).paneHex || state(3).paneText);
}

// Random text - noise with fragments of real sections and keys, some lines
// huge - read as an .ini file, as the profile's settings and as a save file:
// what a flush would write reads back the same, every value lands in its
// range, and the save files read are written and read back the same, but
// for names the format cannot hold.
TEST(SettingsFiles, RandomTextIsReadWithoutHarm) {
    std::mt19937 random(TestSeed());
    std::uniform_int_distribution<int> byte(0, 255);
    Strings pieces = {"\r\n", "=", "[", std::string(1, '\0')};
    // Fragments of lines; those marked | end their line.
    std::istringstream keys("[Save0]| [Save1]| [General]| Version=0.37| Filename=/f "
                            "Filelength=0x1| OffsetTop=- MarkerCount= RecordWidth= FontSize= "
                            "Backup= WindowPos=1,2,3, TmpDir=/t RecentFilesCount=");
    for (std::string key; keys >> key;)
        pieces.push_back("\n" + (key.back() == '|' ? key.substr(0, key.size() - 1) + "\n" : key));
    OTempDir dir;
    int entries = 0;
    for (int round = 0; round < 60; ++round) {
        SCOPED_TRACE(round);
        std::string text;
        for (int i = 0; i < 400; ++i)
            text += byte(random) < 60 ? pieces[byte(random) % pieces.size()]
                                      : std::string(1, char(byte(random)));
        if (round % 20 == 0) text += "\n" + std::string(1 << 20, 'x') + "\n[unterminated\n=v\n";
        OIniFile ini(dir.Write("junk.ini", text));
        ASSERT_TRUE(ini.Load());
        const OIniFile again = Parsed(ini.Serialize());
        for (const char* section : {"General", "Save0", "Save1", "Other"})
            for (const char* key : {"Filename", "FontSize", "TmpDir", "WindowPos", ""})
                EXPECT_EQ(again.GetString(section, key, "-"), ini.GetString(section, key, "-"));

        OSettings s;
        OProfile::Load(ini, "General", s);
        EXPECT_TRUE(s.recentFilesCount >= 0 && s.recentFilesCount <= 16);
        EXPECT_TRUE(s.saveFilesCount >= 0 && s.saveFilesCount <= 64);
        EXPECT_TRUE(s.backupMode >= 0 && s.backupMode <= 2);
        EXPECT_TRUE(s.fontSize >= 5 && s.fontSize <= 144);
        EXPECT_TRUE(s.tempDirectory.empty() || s.tempDirectory.back() == '/');

        OSaveFiles list;
        list.LoadSaveFiles(ini, State(0), 64);
        entries += static_cast<int>(list.Entries().size());
        std::set<std::string> seen;
        Strings storable;
        for (const auto& entry : list.Entries()) {
            EXPECT_FALSE(entry.fileName.empty());
            EXPECT_GT(entry.fileLength, 0);
            EXPECT_TRUE(seen.insert(entry.fileName).second);
            EXPECT_GE(entry.viewState.caretOffset, 0);
            EXPECT_TRUE(entry.viewState.recordWidth >= 1 && entry.viewState.recordWidth <= 1048576);
            if (entry.fileName.find_first_of("\r"s + '\0') == std::string::npos)
                storable.push_back(entry.fileName);
        }
        EXPECT_EQ(Names(WrittenAndReloaded(list, dir, 64)), storable);
    }
    EXPECT_GT(entries, 0);
}
