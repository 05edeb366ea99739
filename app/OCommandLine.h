#pragma once

#include <functional>
#include <string>
#include <vector>

// The command line "[/Wn] filename", switches and files in any number and
// order. A /W switch applies to every file named after it.
struct OCommandLine {
    struct File {
        std::string path;
        int recordWidth; // -1 leaves the width unchanged
    };
    std::vector<File> files; // in order, up to a bad switch
    bool error = false;      // a bad switch: show the usage message and end
    bool help = false;       // -h or --help

    // '-' always begins a switch; '/' only when the parameter has no further
    // '/' and names no existing file, so "/W16 /home/u/a.bin" works.
    static OCommandLine Parse(const std::vector<std::string>& args,
                              const std::function<bool(const std::string&)>& fileExists);
};
