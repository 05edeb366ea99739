#pragma once

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

// Sets TZ for a test's lifetime so that local times are the same on every
// machine, and restores what was there before. POSIX zone strings such as
// "UTC" or "ABC-2" (two hours east of UTC) need no zone files.
class OTimeZone {
public:
    explicit OTimeZone(const char* zone) {
        if (const char* old = std::getenv("TZ")) m_saved = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~OTimeZone() {
        if (m_saved)
            setenv("TZ", m_saved->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    OTimeZone(const OTimeZone&) = delete;
    OTimeZone& operator=(const OTimeZone&) = delete;

private:
    std::optional<std::string> m_saved;
};
