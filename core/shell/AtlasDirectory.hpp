#pragma once
// Transactional writing into a directory (atlas/ above all), the way git
// writes its lock files and SQLite commits:
//
// - AtlasDirectory opens the directory once; every later name is resolved
//   inside that open directory, never through a path again. The directory
//   itself may be a link to a directory elsewhere (a game folder on another
//   disk is the player's choice); links planted at file names inside it are
//   never followed.
// - lock() takes the one-writer lock: an advisory flock on ".lock" inside.
//   A second Vantor that finds it held is told "Another Vantor is writing
//   <directory>" and writes nothing.
// - FileSet writes files under unpredictable temporary names created
//   exclusively (O_CREAT|O_EXCL|O_NOFOLLOW), flushes each (fdatasync), and
//   commit() renames them into place one after another with nothing else in
//   between, then flushes the directory. A name that already exists is
//   swapped atomically with its new file (renameat2 RENAME_EXCHANGE), so a
//   failed rename puts every earlier file back: a set commits whole or not
//   at all. Only a second failure while putting files back (or a file
//   system without RENAME_EXCHANGE, where a plain rename is used) can leave
//   a mix; the failing operation is reported either way.
// - StagingDirectory is a private folder inside the directory where a large
//   set (a campaign) is written; commit() moves the files it replaces out of
//   the way into the folder and the staged files in, all reversibly, and the
//   folder is removed in the end, committed or not.
//
// Temporary names start with ".vantor-tmp-" and staging folders with
// ".vantor-staging-"; removeLeftovers() deletes only such names, left by a
// run that was killed, and only while the lock is held.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

// A file's bytes handed over piece by piece, in order: a picture encoded
// through a small buffer is written without ever being whole in memory.
using ByteWriter = std::function<void(std::span<const std::uint8_t> piece)>;
// Produces a file's content by calling the writer it is given with every
// piece; an exception from it fails the file, which is then removed.
using ContentWriter = std::function<void(const ByteWriter& write)>;

class AtlasDirectory {
public:
    // Opens `path`, creating it (one level) when it is missing and `create`
    // is set. Throws VantorError naming the directory and the system's reason.
    explicit AtlasDirectory(std::filesystem::path path, bool create = true);
    ~AtlasDirectory();
    AtlasDirectory(const AtlasDirectory&) = delete;
    AtlasDirectory& operator=(const AtlasDirectory&) = delete;

    int fd() const noexcept { return fd_; }
    const std::filesystem::path& path() const noexcept { return path_; }

    // Takes the writer lock, held until this object is destroyed.
    void lock();
    // Deletes temporary files and staging folders of an earlier, killed run.
    // Only while the lock is held; failures are ignored.
    void removeLeftovers();
    // Bytes available to this user on the directory's file system.
    std::uint64_t freeSpace() const;

    static bool isLeftoverName(std::string_view name);

private:
    std::filesystem::path path_;
    int fd_ = -1;
    int lockFd_ = -1;
};

class FileSet {
public:
    explicit FileSet(const AtlasDirectory& directory);
    ~FileSet(); // removes the temporary files of a set that was not committed
    FileSet(const FileSet&) = delete;
    FileSet& operator=(const FileSet&) = delete;

    // Writes `bytes` under a new temporary name and flushes them. `name` is
    // the file's final name inside the directory.
    void add(const std::string& name, std::span<const std::uint8_t> bytes);
    // The same with the bytes written piece by piece as `content` makes
    // them (one write a piece).
    void add(const std::string& name, const ContentWriter& content);
    // Renames every file into place in the order added, then flushes the directory.
    void commit();

private:
    struct Entry {
        std::string name;
        std::string temporary;
    };
    const AtlasDirectory& directory_;
    std::vector<Entry> entries_;
    bool committed_ = false;
};

class StagingDirectory {
public:
    // Creates a new private folder (mode 0700) with an unpredictable name inside `atlas`.
    explicit StagingDirectory(const AtlasDirectory& atlas);
    ~StagingDirectory(); // removes the folder and everything in it
    StagingDirectory(const StagingDirectory&) = delete;
    StagingDirectory& operator=(const StagingDirectory&) = delete;

    // Writes a file of the final set, flushed; errors name atlas/<name>.
    void add(const std::string& name, std::span<const std::uint8_t> bytes);
    // The same written piece by piece as `content` makes them.
    void add(const std::string& name, const ContentWriter& content);
    // Moves the existing files named in `retire` (regular files and links;
    // missing names are skipped) out of atlas/, then every staged file in
    // (replacing a file of the same name), then flushes atlas/. On a failure
    // everything moved so far is moved back and VantorError is thrown.
    void commit(const std::vector<std::string>& retire);

    // Bytes written so far.
    std::uint64_t bytesWritten() const noexcept { return bytes_; }

private:
    const AtlasDirectory& atlas_;
    std::string name_;
    int fd_ = -1;
    std::vector<std::string> staged_;
    std::uint64_t bytes_ = 0;
};

} // namespace vantor
