#pragma once

#include <cstdint>
#include <string>

// The calling thread's last error, in the manner of errno but set only by the
// program's own file layer, so that a message box shown in between cannot
// clobber it before the caller reads it.
int LastError();
void SetLastError(int code);

// Error codes of this program's own, beyond errno's range.
inline constexpr int kErrorNotRegularFile = 0x20000001;
inline constexpr int kErrorFileReplaced = 0x20000002;

// The text for an errno value or one of the codes above; -1 stands for
// LastError(). A code without a text gives "Unknown error %d".
std::string SystemErrorText(int code);

// Available physical memory in bytes divided by divisor.
std::uint64_t AvailableMemory(unsigned divisor);

// The system's temporary directory, always ending in '/'.
std::string SystemTempDirectory();

// A temporary file without a name in tempDir (the system's when empty), 0600:
// nothing else can open it, and it vanishes with the program, even one that
// is killed. Where the file system refuses that, or always with
// forceNamed, a file named after base (with a unique suffix) is removed at
// once. path is what messages call it. -1 with errno set on failure.
int OpenNamelessFile(const std::string& tempDir, const char* base, bool forceNamed,
                     std::string& path);

// copy_file_range's answer (its result, errno) to a copy's first chunk says
// the kernel cannot copy between these two files: a refusal, or nothing
// copied where the bytes are known to be. The copy then goes through memory.
bool KernelCopyRefused(long result, int error);

// Absolute path of the running executable; empty when it cannot be found.
std::string ExecutablePath();

// path made absolute against the current directory and normalised by its
// text alone ("." and ".." segments, repeated slashes): symbolic links stay
// as the user named them. Empty stays empty.
std::string AbsolutePath(const std::string& path);
