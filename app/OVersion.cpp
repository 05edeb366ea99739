#include "app/OVersion.h"

// Defined for this one file by the build, so a new version recompiles
// nothing else.
#ifndef QUORVALIS_VERSION
#error "QUORVALIS_VERSION must come from the build"
#endif

const char* ProgramVersion() {
    return QUORVALIS_VERSION;
}
