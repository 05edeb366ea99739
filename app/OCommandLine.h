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
    bool version = false;    // --version

    // '-' always begins a switch; '/' only when the parameter has no further
    // '/' and names no existing file, so "/W16 /home/u/a.bin" works.
    static OCommandLine Parse(const std::vector<std::string>& args,
                              const std::function<bool(const std::string&)>& fileExists);

    // What the program answers on standard output, before it makes a
    // window: the first -h, --help or --version anywhere on the line,
    // whatever else it holds, so help shows even beside a bad switch.
    enum class Answer { None, Help, Version };
    static Answer AnswerWithoutWindow(const std::vector<std::string>& args);
    // "quorvalis <version>", without a newline.
    static std::string VersionLine();
};
