#include "platform/OStateDir.h"

#include "platform/OSystem.h"
#include "support/OTempDir.h"

#include <cerrno>
#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <sys/stat.h>

namespace {

void SetOrUnset(const char* name, const std::optional<std::string>& value) {
    if (value)
        ::setenv(name, value->c_str(), 1);
    else
        ::unsetenv(name);
}

// Where journals go: $XDG_STATE_HOME when absolute, else under $HOME; made
// 0700 with its parents; refused (with why) when there is nowhere to put it.
TEST(StateDirectory, FollowsTheBaseDirectoryRules) {
    OTempDir dir;
    dir.Write("file", std::string("x"));
    const char* home = std::getenv("HOME");
    const char* state = std::getenv("XDG_STATE_HOME");
    const std::optional<std::string> savedHome =
        home ? std::optional<std::string>(home) : std::nullopt;
    const std::optional<std::string> savedState =
        state ? std::optional<std::string>(state) : std::nullopt;
    const std::string h = dir.File("home");
    struct Case {
        std::optional<std::string> state, home;
        std::string expected; // empty: refused
        int error;
    } cases[] = {
        {dir.File("a/b/"), h, dir.File("a/b/quorvalis/"), 0},
        {std::string("relative"), h, h + "/.local/state/quorvalis/", 0},
        {std::nullopt, h, h + "/.local/state/quorvalis/", 0},
        {std::nullopt, std::nullopt, "", ENOENT},
        {dir.File("file"), h, "", ENOTDIR},
    };
    for (const Case& c : cases) {
        SetOrUnset("XDG_STATE_HOME", c.state);
        SetOrUnset("HOME", c.home);
        SetLastError(0);
        const std::string made = StateDirectory();
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(made, c.expected);
        if (made.empty()) {
            EXPECT_EQ(LastError(), c.error);
            continue;
        }
        struct stat info {};
        ASSERT_EQ(::stat(made.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0700u);
        EXPECT_EQ(StateDirectory(), made); // there already: taken as it is
    }
    SetOrUnset("HOME", savedHome);
    SetOrUnset("XDG_STATE_HOME", savedState);
}

} // namespace
