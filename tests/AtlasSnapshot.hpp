#pragma once
// A whole directory tree read into memory, to compare an atlas/ before and
// after a run byte for byte: every entry by its relative path, files with
// their bytes, links with their target (on POSIX systems; on Windows, whose
// C++ library cannot read a link, as a link only), folders marked as such.

#include "TestSupport.hpp"

#include <filesystem>
#include <map>
#include <sstream>
#include <stdexcept>
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
        // The same name on every system: '/' between the parts.
        const std::string name = std::filesystem::relative(it->path(), dir).generic_string();
        if (isSymlink(it->path())) {
#ifdef _WIN32
            out[name] = "link";
#else
            out[name] = "link:" + std::filesystem::read_symlink(it->path()).string();
#endif
            if (it->is_directory())
                it.disable_recursion_pending();
        } else if (it->is_directory())
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

// The snapshot without the leftovers a writer removes when it next opens
// atlas/: temporary files, staging folders and parked old files.
inline Snapshot withoutLeftovers(const Snapshot& snap)
{
    return without(without(without(snap, ".vantor-tmp-"), ".vantor-staging-"), ".vantor-old-");
}

// Makes `dir` hold exactly the snapshot again.
inline void restore(const std::filesystem::path& dir, const Snapshot& snap)
{
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    for (const auto& [name, content] : snap) {
        const std::filesystem::path path = dir / name;
        if (content == "folder")
            std::filesystem::create_directories(path);
        else if (content.rfind("link:", 0) == 0)
            createSymlink(content.substr(5), path);
        else if (content == "link")
            throw std::runtime_error("cannot restore a link whose target is unknown: " + name);
        else
            writeFile(path, std::string_view(content).substr(5));
    }
}

} // namespace vantor::test
