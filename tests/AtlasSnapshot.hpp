#pragma once
// A whole directory tree read into memory, to compare an atlas/ before and
// after a run byte for byte: every entry by its relative path, files with
// their bytes, links with their target, folders marked as such.

#include "TestSupport.hpp"

#include <filesystem>
#include <map>
#include <sstream>
#include <string>

namespace vantor::test {

using Snapshot = std::map<std::string, std::string>;

inline Snapshot snapshot(const std::filesystem::path& dir)
{
    Snapshot out;
    std::error_code ec;
    if (!std::filesystem::exists(std::filesystem::symlink_status(dir, ec)))
        return out;
    for (auto it = std::filesystem::recursive_directory_iterator(dir); it != std::filesystem::recursive_directory_iterator();
         ++it) {
        const std::string name = std::filesystem::relative(it->path(), dir).string();
        if (it->is_symlink())
            out[name] = "link:" + std::filesystem::read_symlink(it->path()).string();
        else if (it->is_directory())
            out[name] = "folder";
        else
            out[name] = "file:" + readFile(it->path());
    }
    return out;
}

// The names that differ between two snapshots, for a readable failure.
inline std::string difference(const Snapshot& expected, const Snapshot& actual)
{
    std::ostringstream out;
    for (const auto& [name, content] : expected) {
        const auto other = actual.find(name);
        if (other == actual.end())
            out << " missing:" << name;
        else if (other->second != content)
            out << " changed:" << name;
    }
    for (const auto& [name, content] : actual)
        if (expected.find(name) == expected.end())
            out << " extra:" << name;
    return out.str();
}

// The snapshot without the entries whose first path part starts with `prefix`.
inline Snapshot without(const Snapshot& snap, const std::string& prefix)
{
    Snapshot out;
    for (const auto& [name, content] : snap)
        if (name.rfind(prefix, 0) != 0)
            out.emplace(name, content);
    return out;
}

} // namespace vantor::test
