#include "document/OBackup.h"

#include "document/ODiskFile.h"
#include "document/OMemFile.h"
#include "document/OTransferBuffer.h"
#include "platform/OScriptedPlatform.h"
#include "support/OFaultyFileIo.h"
#include "support/OTempDir.h"
#include "support/OTestData.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <memory>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Names = std::set<std::string>;
using Strings = std::vector<std::string>;

void SetModified(const std::string& path, time_t seconds) {
    const timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

class BackupTest : public ::testing::Test {
protected:
    void TearDown() override { OTransferBuffer::SetLimitForTesting(0); }

    std::unique_ptr<ODiskFile> Open(const OBytes& content, OFileIo& io = OFileIo::System()) {
        path = dir.Write("data.bin", content);
        auto file = std::make_unique<ODiskFile>(io);
        EXPECT_TRUE(file->Open(path, OAccess::Read, ODisposition::OpenExisting));
        return file;
    }

    OScriptedPlatform platform;
    OTempDir dir;
    std::string path;
};

TEST_F(BackupTest, NoneAndUnnamedFilesDoNothingAndNamesAppendBak) {
    EXPECT_EQ(BackupName("/d/x.bak"), "/d/x.bak.bak");
    EXPECT_EQ(BackupName("/d.e/noext"), "/d.e/noext.bak");
    auto file = Open(Iota(8));
    OMemFile unnamed;
    EXPECT_TRUE(Backup(*file, 0) && Backup(unnamed, 1) && Backup(unnamed, 2));
    EXPECT_EQ(dir.Names(), Names{"data.bin"});
    EXPECT_TRUE(platform.Messages().empty());
    EXPECT_TRUE(platform.StatusHistory().empty());
}

// The backup takes the file's mode; an empty file gives an empty backup,
// with no progress window.
TEST_F(BackupTest, OneBackupIsOverwrittenEachTime) {
    dir.Write("data.bin.bak", std::string("old backup"));
    for (const OBytes& content : {Iota(300), Iota(5, 7), OBytes{}}) {
        auto file = Open(content);
        ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
        platform.SetText("before");
        platform.Clear();
        EXPECT_TRUE(Backup(*file, 1));
        EXPECT_EQ(ReadWholeFile(path + ".bak"), content);
        EXPECT_EQ(platform.StatusHistory(),
                  (Strings{"Backup 0 Mb to file '" + path + ".bak' ...", "before"}));
        EXPECT_EQ(platform.ProgressWindows().size(), content.empty() ? 0u : 1u);
        EXPECT_TRUE(platform.ProgressWindows().empty() ||
                    platform.ProgressWindows()[0].cancelEnabled);
        EXPECT_TRUE(platform.Messages().empty());
        struct stat info {};
        ASSERT_EQ(::stat((path + ".bak").c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0640u);
        EXPECT_EQ(dir.Names(), (Names{"data.bin", "data.bin.bak"}));
    }
}

TEST_F(BackupTest, FourGenerationsTakeTheFirstMissingThenTheOldest) {
    auto file = Open(Iota(10));
    const std::string bak = path + ".bak";
    dir.Write("data.bin.bak", std::string("g0"));
    dir.Write("data.bin.bak1", std::string("g1"));
    EXPECT_EQ(BackupGenerationName(path), bak + "2");
    EXPECT_TRUE(Backup(*file, 2) && Backup(*file, 2));
    EXPECT_EQ(ReadWholeFile(bak + "2"), Iota(10));
    EXPECT_EQ(ReadWholeFile(bak + "3"), Iota(10));
    EXPECT_EQ(ReadText(bak) + ReadText(bak + "1"), "g0g1");

    SetModified(bak, 3000);
    SetModified(bak + "1", 1000);
    SetModified(bak + "2", 2000);
    SetModified(bak + "3", 1000); // as old as .bak1: the lower number goes
    EXPECT_EQ(BackupGenerationName(path), bak + "1");
    file = Open(Iota(4, 50));
    EXPECT_TRUE(Backup(*file, 2));
    EXPECT_EQ(ReadWholeFile(bak + "1"), Iota(4, 50));
    EXPECT_EQ(ReadText(bak), "g0");
    EXPECT_EQ(ReadWholeFile(bak + "3"), Iota(10));
    SetModified(bak + "1", 4000);
    EXPECT_EQ(BackupGenerationName(path), bak + "3");
    EXPECT_EQ(dir.Names().size(), 5u);
}

TEST_F(BackupTest, BigFileAsksFirstAndNoGoesOnWithoutBackup) {
    path = dir.Sparse("big.bin", OOffset{128} << 20);
    ODiskFile file;
    ASSERT_TRUE(file.Open(path, OAccess::Read, ODisposition::OpenExisting));
    EXPECT_TRUE(Backup(file, 1)); // unanswered: No
    ASSERT_EQ(platform.Messages().size(), 1u);
    EXPECT_EQ(platform.Messages()[0].text,
              "Backup of the bigfile take a lot time and space, continue ?");
    EXPECT_EQ(platform.Messages()[0].buttons, OButtons::YesNo);
    EXPECT_EQ(dir.Names(), Names{"big.bin"});
    // Yes copies (cancelled here at once).
    platform.Answer(OAnswer::Yes);
    platform.CancelAtProgressStep(1);
    EXPECT_FALSE(Backup(file, 1));
    EXPECT_EQ(platform.StatusHistory().at(0), "Backup 128 Mb to file '" + path + ".bak' ...");
}

// Cancel and a failed read keep the previous backup and leave no temporary
// file beside it.
TEST_F(BackupTest, CancelOrAReadFailureKeepsThePreviousBackup) {
    for (bool cancel : {true, false}) {
        dir.Write("data.bin.bak", std::string("previous"));
        OFaultyFileIo io;
        io.failReadAt = cancel ? 0 : 3;
        auto file = Open(Iota(4096), io);
        OTransferBuffer::SetLimitForTesting(256);
        platform.CancelAtProgressStep(cancel ? 3 : 0);
        EXPECT_FALSE(Backup(*file, 1));
        EXPECT_EQ(ReadText(path + ".bak"), "previous");
        EXPECT_EQ(dir.Names(), (Names{"data.bin", "data.bin.bak"}));
        EXPECT_EQ(platform.StatusHistory().back(), ""); // restored
    }
}

// A directory in the backup's place is refused before anything is copied;
// the change then asks whether to go on without a backup.
TEST_F(BackupTest, FailureShowsThePathAndAsksWhetherToGoOnWithTheChange) {
    ASSERT_EQ(::mkdir(dir.File("data.bin.bak").c_str(), 0755), 0);
    auto file = Open(Iota(16));
    file->SetBackupHook([](OFile& f) { return Backup(f, 1); });
    EXPECT_FALSE(file->SetByte(0, 0, 0xAA)); // the question unanswered: No
    EXPECT_EQ(platform.MessageTexts(),
              (Strings{path + ".bak: Is a directory", "Backup failed, continue ?"}));
    EXPECT_EQ(platform.Messages()[1].buttons, OButtons::YesNo);
    EXPECT_TRUE(platform.ProgressWindows().empty());
    EXPECT_EQ(dir.Names(), (Names{"data.bin", "data.bin.bak"}));
    EXPECT_FALSE(file->IsWritable());
    EXPECT_FALSE(file->HasPending());
    platform.Clear();
    platform.Answer(OAnswer::Ok);
    platform.Answer(OAnswer::Yes);
    EXPECT_TRUE(file->SetByte(0, 0, 0xAA));
    EXPECT_EQ(platform.Messages().size(), 2u);
    EXPECT_EQ(file->CommitPending(), 1u);
    EXPECT_EQ(ReadWholeFile(path).at(0), 0xAA);

    // A path whose directory is a regular file: the backup cannot be created.
    platform.Clear();
    const std::string notDir = dir.Write("plain", std::string("x"));
    ODiskFile elsewhere;
    ASSERT_TRUE(elsewhere.Adopt(::open(path.c_str(), O_RDONLY | O_CLOEXEC), notDir + "/d.bin"));
    EXPECT_FALSE(Backup(elsewhere, 2));
    EXPECT_EQ(platform.MessageTexts(), Strings{notDir + "/d.bin.bak: Not a directory"});
}

} // namespace
