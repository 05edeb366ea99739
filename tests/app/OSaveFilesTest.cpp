#include "app/OSaveFiles.h"

#include "support/OTempDir.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <set>
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
    s.fontName = "Courier";
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

Strings KeyNames(const OIniFile& ini, std::string_view section) {
    Strings keys;
    for (const auto& [key, value] : ini.Entries(section))
        keys.push_back(key);
    return keys;
}

// Writes the list to a save file in dir and reads it back.
OSaveFiles WrittenAndReloaded(OSaveFiles& list, const OTempDir& dir, int count,
                              const OViewSettings& current = State(0)) {
    OIniFile sav(dir.File("q.sav"));
    EXPECT_TRUE(list.WriteSaveFiles(sav, count));
    OIniFile back(dir.File("q.sav"));
    back.Load();
    OSaveFiles reloaded;
    reloaded.LoadSaveFiles(back, current, count);
    return reloaded;
}

} // namespace

TEST(OSaveFiles, CountThreeForgetsTheFirstOfFourFiles) {
    OSaveFiles list;
    for (const char* name : {"/a", "/b", "/c", "/d"})
        list.StoreState(name, 100, State(0), {}, 3);
    EXPECT_EQ(Names(list), (Strings{"/d", "/c", "/b"}));

    OTempDir dir;
    EXPECT_EQ(Names(WrittenAndReloaded(list, dir, 3)), (Strings{"/d", "/c", "/b"}));
    OIniFile sav(dir.File("q.sav"));
    sav.Load();
    EXPECT_EQ(sav.KeyCount("Save3"), 0u);
}

TEST(OSaveFiles, StoringAgainReplacesAndMovesToFront) {
    OSaveFiles list;
    list.StoreState("/a", 1, State(0x10), {"m1"}, 3);
    list.StoreState("/b", 2, State(0x20), {}, 3);
    list.StoreState("/c", 3, State(0x30), {}, 3);
    list.StoreState("/a", 4, State(0x40), {"m2", "m3"}, 3);
    ASSERT_EQ(Names(list), (Strings{"/a", "/c", "/b"}));
    const auto& front = list.Entries().front();
    EXPECT_EQ(front.fileLength, 4);
    EXPECT_EQ(front.viewState.topOffset, 0x40);
    EXPECT_EQ(front.markers, (Strings{"m2", "m3"}));
}

TEST(OSaveFiles, ShrunkenCountDropsTheOldest) {
    OSaveFiles list;
    for (const char* name : {"/a", "/b", "/c", "/d", "/e"})
        list.StoreState(name, 1, State(0), {}, 5);
    list.StoreState("/f", 1, State(0), {}, 2);
    EXPECT_EQ(Names(list), (Strings{"/f", "/e"}));
    // A limit past the largest setting is held to it.
    for (int i = 0; i < 100; ++i)
        list.StoreState("/x" + std::to_string(i), 1, State(0), {}, INT_MAX);
    EXPECT_EQ(list.Entries().size(), std::size_t(OSaveFiles::kMaxCount));
}

TEST(OSaveFiles, EmptyPathIsNotRemembered) {
    OSaveFiles list;
    list.StoreState("", 10, State(0), {}, 3);
    EXPECT_TRUE(list.Entries().empty());
}

TEST(OSaveFiles, EmptyFileStaysInTheListButIsNotWritten) {
    OSaveFiles list;
    list.StoreState("/a", 10, State(0), {}, 4);
    list.StoreState("/empty", 0, State(0), {}, 4);
    list.StoreState("/b", 5, State(0), {}, 4);
    EXPECT_EQ(Names(list), (Strings{"/b", "/empty", "/a"}));

    OTempDir dir;
    EXPECT_EQ(Names(WrittenAndReloaded(list, dir, 4)), (Strings{"/b", "/a"}));
    OIniFile sav(dir.File("q.sav"));
    sav.Load();
    // The empty file's position leaves a gap in the numbering.
    EXPECT_EQ(sav.GetString("Save0", "Filename"), "/b");
    EXPECT_EQ(sav.KeyCount("Save1"), 0u);
    EXPECT_EQ(sav.GetString("Save2", "Filename"), "/a");
    // Still there for the rest of the run.
    EXPECT_EQ(Names(list), (Strings{"/b", "/empty", "/a"}));
}

TEST(OSaveFiles, NothingToWriteRemovesTheFile) {
    OTempDir dir;
    const std::string path = dir.Write("q.sav", "[Save0]\nFilename=/old\nFilelength=0x10\n");
    OSaveFiles list;
    list.StoreState("/empty", 0, State(0), {}, 4);
    OIniFile sav(path);
    sav.Load();
    EXPECT_TRUE(list.WriteSaveFiles(sav, 4));
    EXPECT_FALSE(std::filesystem::exists(path));
    // And when there was no file to begin with.
    EXPECT_TRUE(list.WriteSaveFiles(sav, 4));
}

TEST(OSaveFiles, CountZeroTouchesNothingAndRestoresNothing) {
    OTempDir dir;
    const std::string text = "[Save0]\nFilename=/a\nFilelength=0x10\nOffsetTop=0x20\n";
    const std::string path = dir.Write("q.sav", text);
    OIniFile sav(path);
    sav.Load();

    OSaveFiles list;
    list.LoadSaveFiles(sav, State(0), 0);
    EXPECT_TRUE(list.Entries().empty());
    list.StoreState("/b", 5, State(0), {}, 0);
    EXPECT_TRUE(list.Entries().empty());
    EXPECT_EQ(list.RestoreState("/a", 0), nullptr);
    EXPECT_TRUE(list.WriteSaveFiles(sav, 0));
    EXPECT_EQ(ReadText(path), text);
    EXPECT_EQ(sav.Serialize(), text);
    EXPECT_FALSE(sav.Dirty());

    // Entries read while the feature was on are not restored once it is off.
    list.LoadSaveFiles(sav, State(0), 3);
    list.StoreState("/b", 5, State(0), {}, 3);
    EXPECT_EQ(list.RestoreState("/a", 0), nullptr);
    EXPECT_EQ(list.RestoreState("/a", -1), nullptr);
    EXPECT_EQ(Names(list), (Strings{"/b", "/a"}));
    EXPECT_TRUE(list.WriteSaveFiles(sav, -5));
    EXPECT_EQ(ReadText(path), text);
}

TEST(OSaveFiles, RestoreMovesTheEntryToTheFront) {
    OSaveFiles list;
    list.StoreState("/a", 1, State(0x10, 0x11), {"ma"}, 3);
    list.StoreState("/b", 2, State(0x20), {}, 3);
    list.StoreState("/c", 3, State(0x30), {}, 3);
    const OSaveFiles::Entry* entry = list.RestoreState("/a", 3);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry, &list.Entries().front());
    EXPECT_EQ(entry->fileName, "/a");
    EXPECT_EQ(entry->fileLength, 1);
    EXPECT_EQ(entry->viewState.topOffset, 0x10);
    EXPECT_EQ(entry->viewState.caretOffset, 0x11);
    EXPECT_EQ(entry->markers, Strings{"ma"});
    EXPECT_EQ(Names(list), (Strings{"/a", "/c", "/b"}));

    EXPECT_EQ(list.RestoreState("/missing", 3), nullptr);
    EXPECT_EQ(list.RestoreState("", 3), nullptr);
    EXPECT_EQ(Names(list), (Strings{"/a", "/c", "/b"}));
    ASSERT_NE(list.RestoreState("/a", 3), nullptr);
    EXPECT_EQ(Names(list), (Strings{"/a", "/c", "/b"}));
}

TEST(OSaveFiles, PathsMatchWithExactCase) {
    OSaveFiles list;
    list.StoreState("/data/A.BIN", 10, State(0x10), {}, 4);
    EXPECT_EQ(list.RestoreState("/data/a.bin", 4), nullptr);
    EXPECT_EQ(list.RestoreState("/DATA/A.BIN", 4), nullptr);
    EXPECT_EQ(list.RestoreState("/data/A.BIN ", 4), nullptr);
    ASSERT_NE(list.RestoreState("/data/A.BIN", 4), nullptr);

    // Two files that differ only in case are two files.
    list.StoreState("/data/a.bin", 20, State(0x20), {}, 4);
    EXPECT_EQ(Names(list), (Strings{"/data/a.bin", "/data/A.BIN"}));
    OTempDir dir;
    OSaveFiles back = WrittenAndReloaded(list, dir, 4);
    EXPECT_EQ(Names(back), (Strings{"/data/a.bin", "/data/A.BIN"}));
    const OSaveFiles::Entry* upper = back.RestoreState("/data/A.BIN", 4);
    ASSERT_NE(upper, nullptr);
    EXPECT_EQ(upper->viewState.topOffset, 0x10);
}

TEST(OSaveFiles, RoundTripThroughTheFileKeepsEveryPerFileValue) {
    OViewSettings s;
    s.topOffset = 0x123456789AB;
    s.caretOffset = 0x1F;
    s.paneOffset = false;
    s.paneHex = false;
    s.paneText = true;
    s.oemCharacters = true;
    s.recordWidth = 37;
    s.fitRecord = true;
    s.fontName = "DejaVu Sans Mono";
    s.fontSize = 14;
    s.readOnly = false;
    const Strings markers = {"0x10 0x1F 0xFF 0xFF00 first", "0x40 0x40 0x0 0xFFFFFF second",
                             "0x7FFFFFFFFFFF 0x800000000000 0x1 0x2 third"};

    OSaveFiles list;
    list.StoreState("/plain.bin", 7, State(0), {}, 8);
    list.StoreState("/home/user/My Files/data [1].bin", kOffsetMax, s, markers, 8);

    OTempDir dir;
    OIniFile sav(dir.File("q.sav"));
    ASSERT_TRUE(list.WriteSaveFiles(sav, 8));

    OIniFile written(dir.File("q.sav"));
    ASSERT_TRUE(written.Load());
    EXPECT_EQ(KeyNames(written, "Save0"),
              (Strings{"Filename", "Filelength", "OffsetTop", "OffsetCurrent", "PaneOffset",
                       "PaneHex", "PaneText", "OEM", "RecordWidth", "RecordFit", "FontName",
                       "FontSize", "Read-only", "MarkerCount", "Marker0", "Marker1", "Marker2"}));
    EXPECT_EQ(written.GetString("Save0", "Filelength"), "0x7FFFFFFFFFFFFFFF");
    EXPECT_EQ(written.GetString("Save0", "OffsetTop"), "0x123456789AB");
    EXPECT_EQ(written.GetString("Save0", "OffsetCurrent"), "0x1F");
    EXPECT_EQ(written.GetString("Save1", "Filelength"), "0x7");
    EXPECT_FALSE(written.HasKey("Save1", "MarkerCount"));

    OViewSettings current;
    current.fontName = "Courier";
    current.recordWidth = 8;
    current.caretOffset = 99;
    OSaveFiles back;
    back.LoadSaveFiles(written, current, 8);
    ASSERT_EQ(Names(back), (Strings{"/home/user/My Files/data [1].bin", "/plain.bin"}));
    const auto& e = back.Entries()[0];
    EXPECT_EQ(e.fileLength, kOffsetMax);
    EXPECT_EQ(e.viewState.topOffset, s.topOffset);
    EXPECT_EQ(e.viewState.caretOffset, s.caretOffset);
    EXPECT_EQ(e.viewState.paneOffset, s.paneOffset);
    EXPECT_EQ(e.viewState.paneHex, s.paneHex);
    EXPECT_EQ(e.viewState.paneText, s.paneText);
    EXPECT_EQ(e.viewState.oemCharacters, s.oemCharacters);
    EXPECT_EQ(e.viewState.recordWidth, s.recordWidth);
    EXPECT_EQ(e.viewState.fitRecord, s.fitRecord);
    EXPECT_EQ(e.viewState.fontName, s.fontName);
    EXPECT_EQ(e.viewState.fontSize, s.fontSize);
    EXPECT_EQ(e.viewState.readOnly, s.readOnly);
    EXPECT_EQ(e.markers, markers);
    const auto& plain = back.Entries()[1];
    EXPECT_EQ(plain.fileLength, 7);
    EXPECT_TRUE(plain.markers.empty());

    // Written again, the file comes out the same.
    OIniFile again(dir.File("again.sav"));
    ASSERT_TRUE(back.WriteSaveFiles(again, 8));
    EXPECT_EQ(ReadText(dir.File("again.sav")), ReadText(dir.File("q.sav")));
}

TEST(OSaveFiles, WritingReplacesTheWholeFile) {
    OTempDir dir;
    const std::string path = dir.Write("q.sav", "; note\n[Other]\nKey=1\n[Save0]\nFilename=/old\n"
                                                "Filelength=0x10\nStray=1\n[Save9]\nFilename=/x\n");
    OIniFile sav(path);
    sav.Load();
    OSaveFiles list;
    list.StoreState("/new", 3, State(0), {}, 4);
    ASSERT_TRUE(list.WriteSaveFiles(sav, 4));
    OIniFile back(path);
    back.Load();
    EXPECT_EQ(back.KeyCount("Other"), 0u);
    EXPECT_EQ(back.KeyCount("Save9"), 0u);
    EXPECT_FALSE(back.HasKey("Save0", "Stray"));
    EXPECT_EQ(back.GetString("Save0", "Filename"), "/new");
    EXPECT_EQ(ReadText(path).find("note"), std::string::npos);
}

TEST(OSaveFiles, NamesTheFileCannotHoldAreNotWritten) {
    OSaveFiles list;
    const Strings names = {"/a\nb", "/a\rb", "/a"s + '\0' + "b", "/a ", " /a", "/a\t", "/a b"};
    for (const std::string& name : names)
        list.StoreState(name, 3, State(0), {}, 8);
    OTempDir dir;
    EXPECT_EQ(Names(WrittenAndReloaded(list, dir, 8)), Strings{"/a b"});
    EXPECT_EQ(list.Entries().size(), 7u);
}

TEST(OSaveFiles, WriteFailureIsReported) {
    OTempDir dir;
    OSaveFiles list;
    list.StoreState("/a", 3, State(0), {}, 4);
    OIniFile sav(dir.File("missing/q.sav"));
    EXPECT_FALSE(list.WriteSaveFiles(sav, 4));
}

TEST(OSaveFiles, LoadingReplacesTheListAndHonoursTheCount) {
    OSaveFiles list;
    list.StoreState("/stale", 3, State(0), {}, 4);
    list.LoadSaveFiles(Parsed("[Save0]\nFilename=/a\nFilelength=1\n"
                              "[Save1]\nFilename=/b\nFilelength=1\n"
                              "[Save2]\nFilename=/c\nFilelength=1\n"),
                       State(0), 2);
    EXPECT_EQ(Names(list), (Strings{"/a", "/b"}));
    // Gaps left by files that were empty are skipped over.
    EXPECT_EQ(Names(Loaded("[Save1]\nFilename=/b\nFilelength=1\n"
                           "[Save3]\nFilename=/d\nFilelength=1\n")),
              (Strings{"/b", "/d"}));
}

TEST(OSaveFiles, EntriesWithoutNameOrLengthAreSkipped) {
    const OSaveFiles list = Loaded("[Save0]\nFilename=/no-length\n"
                                   "[Save1]\nFilelength=0x10\n"
                                   "[Save2]\nFilename=/zero\nFilelength=0x0\n"
                                   "[Save3]\nFilename=/negative\nFilelength=-0x10\n"
                                   "[Save4]\nFilename=/garbage\nFilelength=lots\n"
                                   "[Save5]\nFilename=/overflow\nFilelength=0x1FFFFFFFFFFFFFFFF\n"
                                   "[Save6]\nFilename=   \nFilelength=0x10\n"
                                   "[Save7]\nFilename=/good\nFilelength= 12 trailing\n");
    ASSERT_EQ(Names(list), Strings{"/good"});
    EXPECT_EQ(list.Entries()[0].fileLength, 12);
}

TEST(OSaveFiles, MissingKeysKeepTheCurrentSettings) {
    OViewSettings current = State(0x55, 0x66);
    current.recordWidth = 24;
    current.fontName = "Monospace";
    current.fontSize = 11;
    current.oemCharacters = true;
    current.paneOffset = false;
    const OSaveFiles list = Loaded("[Save0]\nFilename=/a\nFilelength=1\n", 4, current);
    ASSERT_EQ(list.Entries().size(), 1u);
    const OViewSettings& s = list.Entries()[0].viewState;
    EXPECT_EQ(s.topOffset, -1);
    EXPECT_EQ(s.caretOffset, 0x66);
    EXPECT_EQ(s.recordWidth, 24);
    EXPECT_EQ(s.fontName, "Monospace");
    EXPECT_EQ(s.fontSize, 11);
    EXPECT_TRUE(s.oemCharacters);
    EXPECT_FALSE(s.paneOffset);
    EXPECT_TRUE(list.Entries()[0].markers.empty());
    // An empty font name is no font either.
    EXPECT_EQ(Loaded("[Save0]\nFilename=/a\nFilelength=1\nFontName=\n", 4, current)
                  .Entries()[0]
                  .viewState.fontName,
              "Monospace");
}

TEST(OSaveFiles, BadOffsetsAndWidthsAreSettledOnLoad) {
    const OSaveFiles list =
        Loaded("[Save0]\nFilename=/neg\nFilelength=1\nOffsetTop=-0x10\nOffsetCurrent=-0x5\n"
               "RecordWidth=2000000\nFontSize=-3\n"
               "[Save1]\nFilename=/overflow\nFilelength=1\nOffsetTop=0x10000000000000000\n"
               "OffsetCurrent=99999999999999999999\nRecordWidth=99999999999999\n"
               "[Save2]\nFilename=/junk\nFilelength=1\nOffsetTop=0xZZ\nOffsetCurrent=\n"
               "RecordWidth=-8\nFontSize=99999\nPaneHex=0\nPaneText=0\n"
               "[Save3]\nFilename=/far\nFilelength=1\nOffsetTop=0x7FFFFFFFFFFFFFFF\n"
               "OffsetCurrent=0x7FFFFFFFFFFFFFFF\nRecordWidth=1048577\n",
               8, State(0, 3));
    ASSERT_EQ(Names(list), (Strings{"/neg", "/overflow", "/junk", "/far"}));
    const auto state = [&](int i) -> const OViewSettings& { return list.Entries()[i].viewState; };
    // A negative top is kept (it is how a phase is stored); the view settles
    // whatever is out of range when it lays out.
    EXPECT_EQ(state(0).topOffset, -16);
    for (int i = 0; i < 3; ++i) {
        if (i > 0) {
            EXPECT_EQ(state(i).topOffset, -1) << i;
        }
        EXPECT_EQ(state(i).caretOffset, 3) << i;
    }
    EXPECT_EQ(state(0).recordWidth, 1048576);
    EXPECT_EQ(state(0).fontSize, 9);
    EXPECT_EQ(state(1).recordWidth, 1048576);
    EXPECT_EQ(state(2).recordWidth, 16);
    EXPECT_LE(state(2).fontSize, 144);
    EXPECT_TRUE(state(2).paneHex || state(2).paneText);
    // Far past any file, but well formed: the view clamps it against the size.
    EXPECT_EQ(state(3).topOffset, kOffsetMax);
    EXPECT_EQ(state(3).caretOffset, kOffsetMax);
    EXPECT_EQ(state(3).recordWidth, 1048576);
}

TEST(OSaveFiles, HugeOrBadMarkerCountsAreCheap) {
    const auto start = std::chrono::steady_clock::now();
    const OSaveFiles list =
        Loaded("[Save0]\nFilename=/huge\nFilelength=1\nMarkerCount=2147483647\n"
               "Marker0=a\nMarker5=b\nMarker99999999999=c\nMarker-1=d\nMarkerX=e\n"
               "[Save1]\nFilename=/past-int\nFilelength=1\nMarkerCount=999999999999999\n"
               "Marker1=x\n"
               "[Save2]\nFilename=/negative\nFilelength=1\nMarkerCount=-4\nMarker0=z\n"
               "[Save3]\nFilename=/beyond\nFilelength=1\nMarkerCount=2\nMarker0=p\nMarker2=q\n");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    ASSERT_EQ(list.Entries().size(), 4u);
    EXPECT_EQ(list.Entries()[0].markers, (Strings{"a", "b"}));
    EXPECT_EQ(list.Entries()[1].markers, (Strings{"", "x"}));
    EXPECT_TRUE(list.Entries()[2].markers.empty());
    EXPECT_EQ(list.Entries()[3].markers, Strings{"p"});
}

TEST(OSaveFiles, DuplicatesKeepTheFirst) {
    const OSaveFiles list = Loaded("[Save0]\nFilename=/a\nFilelength=1\nOffsetTop=0x1\n"
                                   "[Save1]\nFilename=/b\nFilelength=2\n"
                                   "[Save0]\nFilename=/shadowed\nFilelength=3\n"
                                   "[Save2]\nFilename=/a\nFilelength=4\nOffsetTop=0x2\n"
                                   "[Save3]\nFilename=/c\nFilename=/d\nFilelength=5\n"
                                   "Filelength=6\n");
    ASSERT_EQ(Names(list), (Strings{"/a", "/b", "/c"}));
    EXPECT_EQ(list.Entries()[0].viewState.topOffset, 1);
    EXPECT_EQ(list.Entries()[2].fileLength, 5);
}

TEST(OSaveFiles, HugeCountReadsOnlyTheLargestSetting) {
    std::string text;
    for (int i = 0; i < 70; ++i)
        text +=
            "[Save" + std::to_string(i) + "]\nFilename=/f" + std::to_string(i) + "\nFilelength=1\n";
    const OSaveFiles list = Loaded(text, INT_MAX);
    EXPECT_EQ(list.Entries().size(), std::size_t(OSaveFiles::kMaxCount));
    EXPECT_EQ(list.Entries().back().fileName, "/f63");
}

TEST(OSaveFiles, GarbageTextIsReadWithoutHarm) {
    const std::string junk = "\xFF\xFE[Save0\n=\n==\n[\n]\n[Save0]]\n\0\0\0[Save1]\n"s
                             "Filename\nFilelength=0x1\n[Save2]\x01\x02\n"
                             "Filename=/ok\r\nFilelength=0x20\r\nOffsetTop=0x8\r\n"
                             "Marker0=\xC3\x28\nMarkerCount=1\n[Save3\nFilename=/unterminated\n"
                             "Filelength=1";
    const OSaveFiles list = Loaded(junk);
    for (const auto& entry : list.Entries()) {
        EXPECT_FALSE(entry.fileName.empty());
        EXPECT_GT(entry.fileLength, 0);
    }
    const auto it = std::find_if(list.Entries().begin(), list.Entries().end(),
                                 [](const auto& e) { return e.fileName == "/ok"; });
    ASSERT_NE(it, list.Entries().end());
    EXPECT_EQ(it->fileLength, 0x20);
    EXPECT_EQ(it->viewState.topOffset, 8);
    EXPECT_EQ(it->markers, Strings{"\xC3\x28"});
}

TEST(OSaveFiles, RandomBinaryFilesAreReadWithoutHarm) {
    OTempDir dir;
    std::mt19937 random(1234);
    std::uniform_int_distribution<int> byte(0, 255);
    // Fragments of real keys among the noise, so that some sections do get read.
    const std::string pieces[] = {"\n[Save0]\n",
                                  "\n[Save1]\n",
                                  "\nFilename=/f",
                                  "\nFilelength=0x1\n",
                                  "\nOffsetTop=-",
                                  "\nMarkerCount=",
                                  "\nRecordWidth=",
                                  "\n",
                                  "=",
                                  "["};
    int entries = 0;
    for (int round = 0; round < 50; ++round) {
        std::string text;
        for (int i = 0; i < 400; ++i) {
            if (byte(random) < 40)
                text += pieces[byte(random) % std::size(pieces)];
            else
                text += char(byte(random));
        }
        const std::string path = dir.Write("junk.sav", text);
        OIniFile sav(path);
        sav.Load();
        OSaveFiles list;
        list.LoadSaveFiles(sav, State(0), 64);
        entries += static_cast<int>(list.Entries().size());
        std::set<std::string> seen;
        for (const auto& entry : list.Entries()) {
            EXPECT_FALSE(entry.fileName.empty());
            EXPECT_GT(entry.fileLength, 0);
            EXPECT_TRUE(seen.insert(entry.fileName).second);
            EXPECT_GE(entry.viewState.topOffset, -1);
            EXPECT_GE(entry.viewState.caretOffset, 0);
            EXPECT_GT(entry.viewState.recordWidth, 0);
            EXPECT_LE(entry.viewState.recordWidth, 1048576);
        }
        // What was read is written and read back the same, but for names the
        // format cannot hold.
        Strings storable;
        for (const std::string& name : Names(list)) {
            if (name.find_first_of("\r"s + '\0') == std::string::npos) storable.push_back(name);
        }
        EXPECT_EQ(Names(WrittenAndReloaded(list, dir, 64)), storable);
    }
    EXPECT_GT(entries, 0);
}
