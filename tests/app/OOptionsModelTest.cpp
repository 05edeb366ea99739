#include "app/OOptionsModel.h"

#include "app/OProfile.h"
#include "platform/OScriptedPlatform.h"
#include "res/OStringTable.h"
#include "support/OTempDir.h"

#include <functional>
#include <gtest/gtest.h>

namespace {

using M = OOptionsModel;
using K = OOptionKind;

struct RowCase {
    M::Row row;
    const char* label;
    K kind;
    const char* shown; // for the settings of Edited() below
    const char* typed;
    std::function<bool(const OSettings&)> applied;
};

// Every field away from its default, so a row that reads or writes the
// wrong field shows.
OSettings Edited() {
    OSettings s;
    s.maximizeFrames = false;
    s.recordBarTop = false;
    s.tabBarTop = true;
    s.recordWidth = 24;
    s.fitRecord = true;
    s.recentFilesCount = 5;
    s.saveFilesCount = 7;
    s.findHistorySize = 9;
    s.fontName = "Mono";
    s.fontSize = 11;
    s.SetTempDirectory("/var/tmp");
    s.backupMode = 2;
    s.markerJumpWrap = false;
    s.readOnly = false;
    s.undoStoreLimit = 5000000000; // past an int
    return s;
}

const RowCase kRows[] = {
    {M::kFrameMaximize, "Frame maximize", K::Flag, "disable", "ENABLE",
     [](const OSettings& s) { return s.maximizeFrames; }},
    {M::kRecordBarAt, "Frame toolbar at", K::Choice, "bottom", "top",
     [](const OSettings& s) { return s.recordBarTop; }},
    {M::kTabBarAt, "MDI tabbar at", K::Choice, "top", "Bottom",
     [](const OSettings& s) { return !s.tabBarTop; }},
    {M::kRecordWidth, "Default record width", K::Number, "24", "2",
     [](const OSettings& s) { return s.recordWidth == 2; }},
    {M::kFitRecord, "Fit to width", K::Flag, "enable", "disable",
     [](const OSettings& s) { return !s.fitRecord; }},
    {M::kRecentFiles, "Recent files count (0-16)", K::Number, "5", "16",
     [](const OSettings& s) { return s.recentFilesCount == 16; }},
    {M::kSaveFiles, "Save files count (0-64)", K::Number, "7", "0",
     [](const OSettings& s) { return s.saveFilesCount == 0; }},
    {M::kFindHistory, "Find history save (0-32)", K::Number, "9", "32",
     [](const OSettings& s) { return s.findHistorySize == 32; }},
    {M::kFont, "Font", K::Font, "Mono,11", "Fixed Sans,4",
     [](const OSettings& s) { return s.fontName == "Fixed Sans" && s.fontSize == 11; }},
    {M::kTempDir, "TempDir (blank = %TEMP%)", K::Folder, "/var/tmp/", "/srv",
     [](const OSettings& s) { return s.tempDirectory == "/srv/"; }},
    {M::kBackup, "Backup file", K::Choice, "four generation", "none",
     [](const OSettings& s) { return s.backupMode == 0; }},
    {M::kMarkerJumpWrap, "Marker jump wrap", K::Flag, "disable", "enable",
     [](const OSettings& s) { return s.markerJumpWrap; }},
    {M::kReadOnly, "Read-only mode", K::Flag, "disable", "Enable",
     [](const OSettings& s) { return s.readOnly; }},
    {M::kUndoStoreLimit, "Undo store limit (bytes, 0 = a quarter of the free space)", K::Number,
     "5000000000", "17179869184",
     [](const OSettings& s) { return s.undoStoreLimit == 17179869184u; }},
};

// Each row in order: its label and kind, what it shows, and that a typed
// value reaches its own field and no other.
TEST(OptionsModel, EveryRowReadsAndAppliesItsOwnField) {
    ASSERT_EQ(std::size(kRows), M::kRowCount);
    const OSettings before = Edited();
    for (const RowCase& c : kRows) {
        SCOPED_TRACE(c.label);
        M model(before);
        const OOptionRow& row = model.At(c.row);
        EXPECT_STREQ(LoadString(row.label), c.label);
        EXPECT_EQ(row.kind, c.kind);
        EXPECT_EQ(row.value, c.shown);
        EXPECT_FALSE(c.applied(before));

        EXPECT_EQ(model.SetValue(c.row, c.typed), ids::IDS_NONE);
        OSettings after = before;
        model.Apply(after);
        EXPECT_TRUE(c.applied(after));
        // Only this row's field moved: putting it back gives the original.
        M back(after);
        for (std::size_t i = 0; i < M::kRowCount; ++i) {
            if (i != c.row) {
                EXPECT_EQ(back.At(i).value, model.At(i).value) << i;
            }
        }
    }
}

TEST(OptionsModel, NumbersOutsideTheirBoundsAreRefusedAndKeepTheValue) {
    struct {
        M::Row row;
        const char* text;
        bool taken;
    } const cases[] = {
        {M::kRecordWidth, "1", false},      {M::kRecordWidth, "2", true},
        {M::kRecordWidth, "1048576", true}, {M::kRecordWidth, "1048577", false},
        {M::kRecordWidth, "", false},       {M::kRecentFiles, "17", false},
        {M::kRecentFiles, "", true},        {M::kSaveFiles, "65", false},
        {M::kFindHistory, "33", false},     {M::kFindHistory, "99999999999", false},
        {M::kUndoStoreLimit, "-1", false},  {M::kUndoStoreLimit, "1e9", false},
        {M::kUndoStoreLimit, "0", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        M model{OSettings{}};
        const std::string old = model.At(c.row).value;
        EXPECT_EQ(model.SetValue(c.row, c.text),
                  c.taken ? ids::IDS_NONE : ids::IDS_NUMBER_OUT_RANGE);
        EXPECT_EQ(model.At(c.row).value, c.taken ? std::string(c.text) : old);
        EXPECT_EQ(model.At(c.row).changed, c.taken);
    }
}

TEST(OptionsModel, ApplyWithoutEditsChangesNothing) {
    // Rows from one record applied to another: any row written shows.
    OSettings other;
    M(Edited()).Apply(other);
    const M untouched{OSettings{}}, after(other);
    for (std::size_t i = 0; i < M::kRowCount; ++i)
        EXPECT_EQ(after.At(i).value, untouched.At(i).value) << i;
}

TEST(OptionsModel, SaveWritesGeneralOnlyAndSaysWhenItCannot) {
    OScriptedPlatform platform;
    OTempDir dir;
    const std::string path = dir.Write("q.ini", "[Find]\nFind1=abc\n[General]\nStray=1\n");
    OProfile profile(path);
    profile.Ini().Load();
    OSettings settings;
    M model(settings);
    ASSERT_EQ(model.SetValue(M::kRecordWidth, "32"), ids::IDS_NONE);
    EXPECT_TRUE(model.Save(settings, profile));
    EXPECT_EQ(settings.recordWidth, 32);
    OIniFile written(path);
    ASSERT_TRUE(written.Load());
    EXPECT_EQ(written.GetString("Find", "Find1"), "abc");
    EXPECT_EQ(written.GetString("General", "Version"), OProfile::kVersion);
    EXPECT_EQ(written.GetInt("General", "RecordWidth", 0), 32);
    EXPECT_TRUE(platform.Messages().empty());

    OProfile nowhere(dir.File("missing/q.ini"));
    EXPECT_FALSE(model.Save(settings, nowhere));
    ASSERT_EQ(platform.Messages().size(), 1u);
    EXPECT_NE(platform.Messages()[0].text.find("missing/q.ini"), std::string::npos);
}

} // namespace
