#include "app/OCommandLine.h"

#include "app/OVersion.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace {

bool IsSwitch(const std::string& arg, const std::function<bool(const std::string&)>& fileExists) {
    if (arg.empty()) return false;
    // A bare "-" too: no switch, so it shows the usage.
    if (arg[0] == '-') return true;
    return arg.size() >= 2 && arg[0] == '/' && arg.find('/', 1) == std::string::npos &&
           !fileExists(arg);
}

} // namespace

OCommandLine OCommandLine::Parse(const std::vector<std::string>& args,
                                 const std::function<bool(const std::string&)>& fileExists) {
    OCommandLine result;
    int pendingWidth = -1;
    for (const std::string& arg : args) {
        if (arg == "-h" || arg == "--help") {
            result.help = true;
            return result;
        }
        if (arg == "--version") {
            result.version = true;
            return result;
        }
        if (!IsSwitch(arg, fileExists)) {
            if (!arg.empty()) result.files.push_back({arg, pendingWidth});
            continue;
        }
        const std::string body = arg.substr(1);
        if (body.size() < 2 || (body[0] != 'W' && body[0] != 'w') || body[1] < '0' ||
            body[1] > '9') {
            result.error = true;
            return result;
        }
        // Base prefixes as C reads them: 0x hex, 0 octal, else decimal; the
        // number ends at the first character that does not belong.
        errno = 0;
        long long width = std::strtoll(body.c_str() + 1, nullptr, 0);
        if (errno == ERANGE || width > INT_MAX) width = INT_MAX;
        pendingWidth = static_cast<int>(width);
    }
    return result;
}

OCommandLine::Answer OCommandLine::AnswerWithoutWindow(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        if (arg == "-h" || arg == "--help") return Answer::Help;
        if (arg == "--version") return Answer::Version;
    }
    return Answer::None;
}

std::string OCommandLine::VersionLine() {
    return std::string("quorvalis ") + ProgramVersion();
}
