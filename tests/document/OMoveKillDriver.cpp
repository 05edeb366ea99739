// Deletes the first 4 KiB of the file named on the command line in place,
// the way the program does: a process for a test to kill during the move.
#include "document/ODiskFile.h"
#include "document/OEditOps.h"

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    ODiskFile file;
    if (!file.Open(argv[1], OAccess::ReadWrite, ODisposition::OpenExisting)) return 3;
    return DeleteRange(file, 0, 4096) ? 0 : 1;
}
