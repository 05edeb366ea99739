#include "app/OSettings.h"

void OSettings::SetTempDirectory(const std::string& dir) {
    tempDirectory = dir;
    if (!tempDirectory.empty() && tempDirectory.back() != '/') tempDirectory += '/';
}
