#pragma once

#include <string>

class OFile;

// The copy of a file made before its first change, beside it. mode is the
// backup setting at the time of use: 0 none, 1 one backup overwritten each
// time, 2 four generations (name.bak, name.bak1, name.bak2, name.bak3).
// True also when nothing was to be done or the user declined the backup of a
// big file; false after a failure (already shown) or Cancel. A previous
// backup is replaced only by a complete new one.
bool Backup(OFile& file, int mode);

// The backup name of path: ".bak" appended to the whole path, so it never
// names the file itself (x.bak gives x.bak.bak).
std::string BackupName(const std::string& path);
// The name a backup of path takes in mode 2: the first generation that does
// not exist, else the one written longest ago (the lower number on a tie).
std::string BackupGenerationName(const std::string& path);
