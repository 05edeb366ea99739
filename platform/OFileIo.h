#pragma once

#include <sys/stat.h>
#include <sys/types.h>

// The system calls the file engine makes, behind one seam so that tests can
// make the k-th read or write fail. One virtual call per block, never per
// byte. Each returns what the system call returns and leaves errno set.
class OFileIo {
public:
    virtual ~OFileIo() = default;

    virtual int Open(const char* path, int flags, mode_t mode);
    virtual int Close(int fd);
    virtual ssize_t PRead(int fd, void* buffer, size_t count, off_t offset);
    virtual ssize_t PWrite(int fd, const void* buffer, size_t count, off_t offset);
    virtual int FTruncate(int fd, off_t size);
    // fallocate(2): reserves disk blocks; EOPNOTSUPP where the filesystem
    // cannot.
    virtual int FAllocate(int fd, int mode, off_t offset, off_t length);
    virtual int FStat(int fd, struct stat* info);
    virtual int FSync(int fd);
    // Size of a block device; -1 with errno on failure.
    virtual off_t DeviceSize(int fd);

    // The process-wide instance that calls the system directly.
    static OFileIo& System();
};
