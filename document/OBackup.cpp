#include "document/OBackup.h"

#include "document/ODiskFile.h"
#include "document/OEditOps.h"
#include "document/OTransferBuffer.h"
#include "platform/OAtomicFile.h"
#include "platform/OFormat.h"
#include "platform/OPlatform.h"
#include "platform/OProgress.h"
#include "platform/OStatusText.h"
#include "platform/OSystem.h"
#include "res/OResourceIds.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

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

// Copied through OAtomicFile, so a cancelled or failed copy leaves the
// previous backup as it was and no partial file behind; a directory in its
// place is refused before a big file is copied for nothing.
bool WriteBackup(OFile& file, OOffset size, const std::string& backupPath) {
    // The backup shares the original's permissions, also over an older
    // backup's, or stays private when they cannot be read.
    struct stat original {};
    const mode_t mode =
        ::stat(file.Path().c_str(), &original) == 0 ? original.st_mode & 0777 : 0600;
    OAtomicFile out;
    if (!out.Begin(backupPath, mode, OAtomicFile::Mode::Given))
        return ShowBackupError(backupPath, errno);
    // The copy writes through a file object of its own; the descriptor it
    // closes is a duplicate, so the original stays open for the commit.
    const int fd = ::fcntl(out.Fd(), F_DUPFD_CLOEXEC, 0);
    if (fd < 0) return ShowBackupError(backupPath, errno);
    ODiskFile backup;
    if (!backup.Adopt(fd, backupPath)) return ShowBackupError(backupPath, LastError());

    OLongOperation running;
    OStatusText status;
    status.Show(ids::IDS_BACKUP_MB, static_cast<long long>(size / 1048576), backupPath.c_str());
    bool ok = true;
    if (size > 0) {
        OTransferBuffer buffer(size);
        ok = CopyRange(buffer, file, 0, backup, 0, size, ids::IDS_NONE, true);
    }
    backup.Close();
    if (ok && !out.Commit()) ok = ShowBackupError(backupPath, errno);
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
