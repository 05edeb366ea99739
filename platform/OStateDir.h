#pragma once

#include <string>

// The user's directory for state that must outlive the program between runs
// but is no setting: $XDG_STATE_HOME/quorvalis/, or ~/.local/state/quorvalis/
// when that variable is unset or not absolute. Made on first use, the last
// level with mode 0700 (missing parents too, as the XDG base directory
// rules ask). Returns the path ending in '/', or empty with
// LastError() set when it cannot be made.
std::string StateDirectory();
