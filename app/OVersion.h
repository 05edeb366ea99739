#pragma once

// The program's version, "major.minor.patch", as the build's project
// declares it. Static storage; never null.
const char* ProgramVersion();
