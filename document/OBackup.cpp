#include "document/OBackup.h"

#include "document/ODiskFile.h"
#include "document/OEditOps.h"
#include "document/OTransferBuffer.h"
#include "platform/OFormat.h"
#include "platform/OPlatform.h"
#include "platform/OProgress.h"
#include "platform/OStatusText.h"
#include "platform/OSystem.h"
#include "res/OResourceIds.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr OOffset kBigFile = OOffset{128} << 20;
constexpr int kGenerations = 4;

bool Older(const timespec& a, const timespec& b) {
    return a.tv_sec != b.tv_sec ? a.tv_sec < b.tv_sec : a.tv_nsec < b.tv_nsec;
}

bool ShowBackupError(const std::string& backupPath, int code) {
    SetLastError(code);
    MessageBox(FormatId(ids::IDS_FILE_ERROR, backupPath.c_str(), SystemErrorText(code).c_str()),
               OButtons::Ok, OIcon::Stop);
    return false;
}

// Copies into a fresh temporary file beside the backup and renames it into
// place only when complete, so a cancelled or failed copy leaves the
// previous backup as it was and no partial file behind.
bool WriteBackup(OFile& file, OOffset size, const std::string& backupPath) {
    // A directory of that name would only refuse the rename: say so before
    // copying a big file for nothing.
    struct stat existing {};
    if (::lstat(backupPath.c_str(), &existing) == 0 && S_ISDIR(existing.st_mode))
        return ShowBackupError(backupPath, EISDIR);

    std::string tempPath = backupPath + ".XXXXXX";
    const int fd = ::mkostemp(tempPath.data(), O_CLOEXEC);
    if (fd < 0) return ShowBackupError(backupPath, errno);
    // mkostemp makes it 0600; the backup shares the original's permissions,
    // or stays private when they cannot be read.
    struct stat original {};
    if (::stat(file.Path().c_str(), &original) == 0) ::fchmod(fd, original.st_mode & 0777);

    ODiskFile backup;
    if (!backup.Adopt(fd, backupPath)) {
        ::unlink(tempPath.c_str());
        return ShowBackupError(backupPath, LastError());
    }

    OLongOperation running;
    OStatusText status;
    status.Show(ids::IDS_BACKUP_MB, static_cast<long long>(size / 1048576), backupPath.c_str());
    bool ok = true;
    if (size > 0) {
        OTransferBuffer buffer(size);
        ok = CopyRange(buffer, file, 0, backup, 0, size, 0, true);
    }
    // The rename must not publish data still only in the page cache.
    if (ok && ::fsync(fd) != 0) ok = ShowBackupError(backupPath, errno);
    backup.Close();
    if (ok && ::rename(tempPath.c_str(), backupPath.c_str()) != 0)
        ok = ShowBackupError(backupPath, errno);
    if (!ok) ::unlink(tempPath.c_str());
    status.Restore();
    return ok;
}

} // namespace

std::string BackupName(const std::string& path) {
    return path + ".bak";
}

std::string BackupGenerationName(const std::string& path) {
    const std::string base = BackupName(path);
    std::string oldestName;
    timespec oldest{};
    for (int generation = 0; generation < kGenerations; ++generation) {
        std::string name = generation == 0 ? base : base + static_cast<char>('0' + generation);
        struct stat info {};
        if (::lstat(name.c_str(), &info) != 0) return name;
        if (generation == 0 || Older(info.st_mtim, oldest)) {
            oldest = info.st_mtim;
            oldestName = std::move(name);
        }
    }
    return oldestName;
}

bool Backup(OFile& file, int mode) {
    if (mode == 0 || file.Path().empty()) return true;
    SetLastError(0);
    const OOffset size = file.GetSize();
    // An unknown size reads as 0 (already reported): an empty backup must not
    // replace a good one.
    if (size == 0 && LastError() != 0) return false;
    if (size >= kBigFile &&
        MessageBoxId(ids::IDS_BACKUP_BIGFILE, OButtons::YesNo, OIcon::Question) != OAnswer::Yes)
        return true;
    const std::string path =
        mode == 2 ? BackupGenerationName(file.Path()) : BackupName(file.Path());
    return WriteBackup(file, size, path);
}
