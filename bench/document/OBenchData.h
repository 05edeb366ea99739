#pragma once

#include "platform/OSystem.h"
#include "platform/OTypes.h"

#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <system_error>
#include <unistd.h>
#include <vector>

// What the document benchmarks share: 1 GiB of pseudo-random bytes, really
// written (a sparse file would move nothing but zero pages), in a temporary
// directory of its own, made at the first use and removed at exit. The
// journals of the moves go there too, not into the user's state directory.
class OBenchData {
public:
    static constexpr OOffset kSize = OOffset{1} << 30;

    static const OBenchData& Get() {
        static OBenchData data;
        return data;
    }
    static const std::string& Path() { return Get().m_path; }
    const std::string& Dir() const { return m_dir; }

    ~OBenchData() {
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }
    OBenchData(const OBenchData&) = delete;
    OBenchData& operator=(const OBenchData&) = delete;

private:
    OBenchData() {
        constexpr std::size_t kBlock = 16777216;
        std::string dir = SystemTempDirectory() + "quorvalis-bench-XXXXXX";
        if (!::mkdtemp(dir.data())) std::abort();
        m_dir = dir;
        m_path = dir + "/data.bin";
        ::setenv("XDG_STATE_HOME", dir.c_str(), 1);
        const int fd = ::open(m_path.c_str(), O_CREAT | O_TRUNC | O_WRONLY | O_CLOEXEC, 0644);
        if (fd < 0) std::abort();
        std::vector<std::uint64_t> block(kBlock / sizeof(std::uint64_t));
        std::mt19937_64 rng(42);
        for (auto& word : block)
            word = rng();
        for (OOffset at = 0; at < kSize; at += static_cast<OOffset>(kBlock)) {
            block[0] ^= static_cast<std::uint64_t>(at); // no two blocks alike
            if (::pwrite(fd, block.data(), kBlock, at) != static_cast<ssize_t>(kBlock))
                std::abort();
        }
        // Written back now, not by the flusher while the first benchmark runs.
        if (::fsync(fd) != 0) std::abort();
        ::close(fd);
    }

    std::string m_dir;
    std::string m_path;
};

// The process's resident memory now, in MiB (the peak would keep what an
// earlier benchmark of the program took).
inline double ResidentMiB() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE)) / 1048576.0;
}
