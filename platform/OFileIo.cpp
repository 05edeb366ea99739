#include "platform/OFileIo.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

int OFileIo::Open(const char* path, int flags, mode_t mode) {
    return ::open(path, flags, mode);
}

int OFileIo::Close(int fd) {
    return ::close(fd);
}

ssize_t OFileIo::PRead(int fd, void* buffer, size_t count, off_t offset) {
    return ::pread(fd, buffer, count, offset);
}

ssize_t OFileIo::PWrite(int fd, const void* buffer, size_t count, off_t offset) {
    return ::pwrite(fd, buffer, count, offset);
}

int OFileIo::FTruncate(int fd, off_t size) {
    return ::ftruncate(fd, size);
}

int OFileIo::FAllocate(int fd, int mode, off_t offset, off_t length) {
    return ::fallocate(fd, mode, offset, length);
}

int OFileIo::FStat(int fd, struct stat* info) {
    return ::fstat(fd, info);
}

int OFileIo::FSync(int fd) {
    return ::fsync(fd);
}

off_t OFileIo::DeviceSize(int fd) {
    unsigned long long bytes = 0;
    if (::ioctl(fd, BLKGETSIZE64, &bytes) != 0) return -1;
    return static_cast<off_t>(bytes);
}

OFileIo& OFileIo::System() {
    static OFileIo io;
    return io;
}
