#pragma once

#include "platform/OFileIo.h"

#include <cerrno>
#include <fcntl.h>
#include <vector>

// System calls that fail on demand: the k-th read, write or fstat (counted from 1),
// every open for writing, the next reservations, every truncation. Records
// where writes went.
class OFaultyFileIo : public OFileIo {
public:
    int failReadAt = 0;
    int failWriteAt = 0;
    int readErrno = EIO;
    int writeErrno = ENOSPC;
    int failWritableOpenErrno = 0;
    int failFStatErrno = 0; // every fstat fails once set
    int failFStatAt = 0;    // only the k-th fstat fails (counted from 1), with EIO
    int fstats = 0;
    int reads = 0;
    int writes = 0;
    std::vector<off_t> writeOffsets;
    int fallocateFailures = 0; // the next this many reservations fail
    int fallocateErrno = ENOSPC;
    int fallocates = 0;
    int failTruncateErrno = 0;
    int truncates = 0;

    int Open(const char* path, int flags, mode_t mode) override {
        if (failWritableOpenErrno != 0 && (flags & O_ACCMODE) != O_RDONLY) {
            errno = failWritableOpenErrno;
            return -1;
        }
        return OFileIo::Open(path, flags, mode);
    }
    int FStat(int fd, struct stat* info) override {
        if (failFStatErrno != 0) {
            errno = failFStatErrno;
            return -1;
        }
        if (++fstats == failFStatAt) {
            errno = EIO;
            return -1;
        }
        return OFileIo::FStat(fd, info);
    }
    ssize_t PRead(int fd, void* buffer, size_t count, off_t offset) override {
        if (++reads == failReadAt) {
            errno = readErrno;
            return -1;
        }
        return OFileIo::PRead(fd, buffer, count, offset);
    }
    ssize_t PWrite(int fd, const void* buffer, size_t count, off_t offset) override {
        if (++writes == failWriteAt) {
            errno = writeErrno;
            return -1;
        }
        writeOffsets.push_back(offset);
        return OFileIo::PWrite(fd, buffer, count, offset);
    }
    int FAllocate(int fd, int mode, off_t offset, off_t length) override {
        ++fallocates;
        if (fallocateFailures > 0) {
            --fallocateFailures;
            errno = fallocateErrno;
            return -1;
        }
        return OFileIo::FAllocate(fd, mode, offset, length);
    }
    int FTruncate(int fd, off_t size) override {
        ++truncates;
        if (failTruncateErrno != 0) {
            errno = failTruncateErrno;
            return -1;
        }
        return OFileIo::FTruncate(fd, size);
    }
};
