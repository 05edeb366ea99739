#pragma once

#include "platform/OTypes.h"

#include <set>
#include <string>
#include <vector>

// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes.
class OTempDir {
public:
    OTempDir();
    ~OTempDir();
    OTempDir(const OTempDir&) = delete;
    OTempDir& operator=(const OTempDir&) = delete;

    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "/" + name; }
    // Writes bytes to name and returns its path.
    std::string Write(const std::string& name, const std::vector<OByte>& bytes) const;
    std::string Write(const std::string& name, const std::string& text) const;
    // A sparse file of size bytes: no disk blocks, reads as zeros.
    std::string Sparse(const std::string& name, OOffset size) const;
    // The names of the entries in the directory, without the path.
    std::set<std::string> Names() const;

private:
    std::string m_path;
};

std::vector<OByte> ReadWholeFile(const std::string& path);
std::string ReadText(const std::string& path);
