#include "support/OTempDir.h"

#include "platform/OSystem.h"

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <unistd.h>

OTempDir::OTempDir() {
    std::string pattern = SystemTempDirectory() + "quorvalis-test-XXXXXX";
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
}

OTempDir::~OTempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

std::string OTempDir::Write(const std::string& name, const std::vector<OByte>& bytes) const {
    const std::string path = File(name);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return path;
}

std::string OTempDir::Write(const std::string& name, const std::string& text) const {
    return Write(name, std::vector<OByte>(text.begin(), text.end()));
}

std::string OTempDir::Sparse(const std::string& name, OOffset size) const {
    const std::string path = File(name);
    const int fd = ::open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY | O_CLOEXEC, 0644);
    if (fd < 0 || ::ftruncate(fd, size) != 0) throw std::runtime_error("sparse file failed");
    ::close(fd);
    return path;
}

std::set<std::string> OTempDir::Names() const {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(m_path))
        names.insert(entry.path().filename().string());
    return names;
}

std::vector<OByte> ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<OByte>(std::istreambuf_iterator<char>(in), {});
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
