#include "app/OProfile.h"

#include "app/OApp.h"
#include "platform/OScriptedPlatform.h"
#include "support/OTempDir.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <sys/stat.h>

namespace {

OIniFile Parsed(std::string_view text) {
    OIniFile ini;
    ini.Parse(text);
    return ini;
}

OSettings LoadedGeneral(std::string_view text, OSettings s = {}) {
    OProfile::Load(Parsed(text), "General", s);
    return s;
}

class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : m_name(name) {
        if (const char* old = std::getenv(name)) m_old = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (m_old)
            ::setenv(m_name, m_old->c_str(), 1);
        else
            ::unsetenv(m_name);
    }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

} // namespace

// Every setting is written under its key and read back: saved again, the
// file comes out the same.
TEST(OProfile, GeneralRoundTrip) {
    OTempDir dir;
    OSettings s;
    s.windowLeft = 10;
    s.windowTop = 20;
    s.windowWidth = 300;
    s.windowHeight = 400;
    s.windowMaximized = true;
    s.recentFilesCount = 7;
    s.saveFilesCount = 12;
    s.findHistorySize = 5;
    s.maximizeFrames = s.recordBarTop = s.tabBarTop = s.markerJumpWrap = s.readOnly = false;
    s.tempDirectory = "/var/tmp/q/";
    s.backupMode = 2;
    s.recordWidth = 48;
    s.fitRecord = true;
    s.fontName = "DejaVu Sans Mono";
    s.fontSize = 13;
    ASSERT_TRUE(OProfile(dir.File("q.ini")).SaveGeneral(s));
    const std::string text = ReadText(dir.File("q.ini"));
    EXPECT_NE(text.find("Version=0.37\n"), std::string::npos);
    EXPECT_NE(text.find("WindowPos=10,20,300,400\nWindowMaximized=1\n"), std::string::npos);
    OProfile reader(dir.File("q.ini"));
    OSettings r;
    reader.LoadGeneral(r);
    EXPECT_TRUE(reader.Recognised());
    ASSERT_TRUE(OProfile(dir.File("again.ini")).SaveGeneral(r));
    EXPECT_EQ(ReadText(dir.File("again.ini")), text);

    // Without a Version nothing is read.
    OProfile unknown(dir.Write("old.ini", "[General]\nRecentFilesCount=5\nFontName=X\n"));
    OSettings u;
    unknown.LoadGeneral(u);
    EXPECT_FALSE(unknown.Recognised());
    EXPECT_EQ(u.recentFilesCount, 0);
    EXPECT_EQ(u.fontName, "Courier");
}

// Out of range values are held to the range or ignored; a missing name reads
// as empty (the system's fixed font, the system's temporary directory). The
// per-file values are read through the save files, tested there.
TEST(OProfile, ValuesAreHeldToTheirRanges) {
    OSettings current;
    current.saveFilesCount = 5;
    current.fontName = "Mono";
    current.recordWidth = 32;
    current.readOnly = false;
    current.tempDirectory = "/old/";
    OSettings s = LoadedGeneral("[General]\nRecentFilesCount=40\nSaveFilesCount=-3\nBackup=3\n"
                                "RecordWidth=2000000\nFontSize=4\nFindHistorySave=99\n",
                                current);
    EXPECT_EQ(s.recentFilesCount, 16);
    EXPECT_EQ(s.saveFilesCount, 5);
    EXPECT_EQ(s.backupMode, 1);
    EXPECT_EQ(s.recordWidth, 1048576);
    EXPECT_EQ(s.fontSize, 9);
    EXPECT_EQ(s.findHistorySize, 32);
    EXPECT_EQ(s.fontName, "");
    EXPECT_EQ(s.tempDirectory, "");
    EXPECT_FALSE(s.readOnly);
    s = LoadedGeneral("[General]\nRecordWidth=0\nFontSize=500\nSaveFilesCount=99\nTmpDir=/x\n",
                      current);
    EXPECT_EQ(s.recordWidth, 32);
    EXPECT_EQ(s.fontSize, 144);
    EXPECT_EQ(s.saveFilesCount, 64);
    EXPECT_EQ(s.tempDirectory, "/x/");
    for (const char* bad : {"1,2,3", "1,2,3,4,5", "1,2,3,x", "1, 2,3,4", ""}) {
        s = LoadedGeneral(std::string("[General]\nWindowPos=") + bad + "\n");
        EXPECT_EQ(s.windowLeft, OSettings::kDefaultPosition) << bad;
        EXPECT_EQ(s.windowHeight, OSettings::kDefaultPosition) << bad;
    }
    EXPECT_EQ(LoadedGeneral("[General]\nWindowPos=-10,20,300,400\n").windowLeft, -10);
}

// Lists skip empty values and read no more than their count; they are
// written only once the profile is recognised, replacing the section.
TEST(OProfile, StringLists) {
    std::vector<std::string> list;
    OProfile::ReadList(Parsed("[Find]\nFind1=abc\n"), "Find", "Find%d", list, 0);
    EXPECT_TRUE(list.empty());
    OProfile::ReadList(Parsed("[Find]\nFind1=a\nFind2=\nFind3=c\nFind4=d\n"), "Find", "Find%d",
                       list, 3);
    EXPECT_EQ(list, (std::vector<std::string>{"a", "c"}));
    OTempDir dir;
    OProfile profile(dir.File("q.ini"));
    EXPECT_TRUE(profile.SaveHistories({"a"}, {}, 5));
    EXPECT_FALSE(profile.Ini().HasKey("Find", "Find1"));
    ASSERT_TRUE(profile.SaveGeneral(OSettings{}));
    profile.Ini().WriteString("Find", "Find5", "stale");
    ASSERT_TRUE(profile.SaveHistories({"a", "b", "c"}, {"r"}, 2));
    const OIniFile& ini = profile.Ini();
    EXPECT_EQ(ini.Entries("Find"),
              (std::vector<std::pair<std::string, std::string>>{{"Find1", "a"}, {"Find2", "b"}}));
    EXPECT_EQ(ini.GetString("Replace", "Replace1"), "r");
}

// Each of the three writes puts its own sections over the file as it is
// then; what was changed by hand while the program ran stays. A settings
// file not read whole is said so once and left as it is.
TEST(OApp, WritesOnlyItsOwnSectionsAndNeverAFileItDidNotReadWhole) {
    OScriptedPlatform platform;
    OTempDir dir;
    const std::string general = "[General]\nVersion=0.37\nSaveFilesCount=2\nFindHistorySave=8\n"
                                "RecentFilesCount=4\n";
    const std::string ini = dir.Write("q.ini", general);
    OApp app;
    app.Startup(ini);
    EXPECT_TRUE(platform.Messages().empty());
    app.FindHistory() = {"x"};
    app.RecentFiles()->Add("/data/a.bin");
    const std::string byHand = general + "FontSize=14\n[Tools]\nk=v\n";
    dir.Write("q.ini", byHand);
    EXPECT_TRUE(app.SaveHistories());
    EXPECT_TRUE(app.SaveAtExit());
    EXPECT_EQ(ReadText(ini), byHand + "[Find]\nFind1=x\n[Recent list]\nFile1=/data/a.bin\n");

    OIniFile::SetMaxFileSizeForTesting(64);
    const std::string sav =
        dir.Write("q.sav", "[File0]\nFilename=/a\n;" + std::string(80, 'p') + "\n");
    OApp limited;
    limited.Startup(ini);
    OIniFile::SetMaxFileSizeForTesting(0);
    EXPECT_EQ(
        platform.MessageTexts(),
        (std::vector<std::string>{ini + ": File too large\nIt is not written during this run.",
                                  sav + ": File too large\nIt is not written during this run."}));
    limited.FindHistory() = {"y"};
    EXPECT_TRUE(limited.SaveHistories());
    EXPECT_TRUE(limited.SaveAtExit());
    EXPECT_EQ(ReadText(ini), byHand + "[Find]\nFind1=x\n[Recent list]\nFile1=/data/a.bin\n");
    EXPECT_EQ(ReadText(sav), "[File0]\nFilename=/a\n;" + std::string(80, 'p') + "\n");
    EXPECT_EQ(platform.Messages().size(), 2u);
}

TEST(OProfile, Markers) {
    OIniFile ini;
    OProfile::WriteMarkers(ini, "M", {});
    EXPECT_EQ(ini.KeyCount("M"), 0u);
    OProfile::WriteMarkers(ini, "M", {"", "a", "", "b"});
    std::vector<std::string> list;
    OProfile::ReadMarkers(Parsed(ini.Serialize()), "M", list);
    EXPECT_EQ(list, (std::vector<std::string>{"", "a", "b"}));
    list.clear();
    OProfile::ReadMarkers(Parsed("[M]\nMarkerCount=3\nMarker0=\nMarker1=\nMarker2=x\n"), "M", list);
    EXPECT_EQ(list, (std::vector<std::string>{"", "x"}));
    // Damaged counts are read through the save files, tested there.
}

// Beside the executable, its extension replaced, when that directory can
// be written; else in the configuration directory, made on demand.
TEST(OProfile, ChoosePath) {
    const std::pair<const char*, const char*> beside[] = {
        {"/opt/q/quorvalis", "/opt/q/quorvalis.ini"},
        {"/opt/q.d/quorvalis", "/opt/q.d/quorvalis.ini"},
        {"/opt/q/quorvalis.exe", "/opt/q/quorvalis.ini"},
        {"quorvalis", "quorvalis.ini"}};
    for (const auto& [exe, ini] : beside)
        EXPECT_EQ(OProfile::PathBesideExecutable(exe, ".ini"), ini);
    OTempDir dir;
    EXPECT_EQ(OProfile::ChoosePath(dir.File("quorvalis"), ".ini"), dir.File("quorvalis.ini"));

    OTempDir config;
    const ScopedEnv xdg("XDG_CONFIG_HOME", config.Path());
    // A missing directory is unwritable even for root.
    EXPECT_EQ(OProfile::ChoosePath(dir.File("gone/quorvalis"), ".ini"),
              config.Path() + "/quorvalis/quorvalis.ini");
    // Installed: never beside the program, even where root could write.
    EXPECT_EQ(OProfile::ChoosePath("/usr/bin/quorvalis", ".ini"),
              config.Path() + "/quorvalis/quorvalis.ini");
    struct stat st {};
    EXPECT_EQ(::stat(config.File("quorvalis").c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
}
