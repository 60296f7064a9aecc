#pragma once
// Transactional writing into a directory (atlas/ above all), the way git
// writes its lock files and SQLite commits with its rollback journal.
//
// - AtlasDirectory opens the directory once; every later name is resolved
//   inside that open directory, never through a path again. The directory
//   itself may be a link to a directory elsewhere (a game folder on another
//   disk is the player's choice); links planted at file names inside it are
//   never followed.
// - beginWriting() is how every writer opens atlas/: it takes the one-writer
//   lock (an advisory lock on ".lock" inside; a second Vantor that finds it
//   held is told "Another Vantor is writing <directory>" and writes
//   nothing), then repairs a commit that a kill, a crash or a power cut
//   interrupted, and only then removes the leftovers of earlier runs.
// - New files are written under unpredictable temporary names created
//   exclusively (never over an existing file or link) and flushed: a
//   single mission's four files beside their final names (FileSet), a
//   campaign's in a private staging folder (StagingDirectory).
//
// The commit (of a FileSet or a StagingDirectory, under the lock):
//   1. The journal, atlas/.vantor-journal, names every file the commit
//      brings in (final name and where the new file waits) and every file
//      it retires or replaces (final name and the unique name the old file
//      is parked under). It is written under a temporary name, flushed,
//      renamed into place, and the directory is flushed.
//   2. For each file in the journal's order: the old file is renamed to its
//      parked name, then the new one is renamed to the final name.
//   3. The directory is flushed; the journal is removed (the commit point)
//      and the directory flushed again; then the parked old files are
//      deleted and the staging folder removed.
// A failing step puts every file back at once (the same roll-back as below)
// and reports the failure. No step needs RENAME_EXCHANGE, so every file
// system (vfat, exFAT, network shares, Windows) takes the same path.
//
// The recovery rule, applied by beginWriting():
//   A journal in place means its commit did not reach its commit point: it
//   is rolled back, whatever it had done. Each entry, last first: a new
//   file that has left its waiting place goes back there, and a parked old
//   file is renamed back to its final name. Only names are looked at, so a
//   roll-back that is itself interrupted is simply done again. Then the
//   directory is flushed and the journal removed.
//   With no journal in place the last commit either never started or went
//   through its commit point: the files in place stand (rolled forward),
//   and parked old files, temporary files and staging folders are leftovers.
// A journal that cannot be read or understood (damaged, or written by a
// newer Vantor) stops the writer with an error naming it, before anything is
// moved or deleted.
//
// Leftover names: ".vantor-tmp-", ".vantor-staging-" and ".vantor-old-"
// followed by at least eight characters. removeLeftovers() deletes only such
// names, only while the lock is held and no journal is in place.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
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

// A commit's plan, as the journal records it.
struct CommitEntry {
    std::string finalName; // inside atlas/
    std::string source;    // the new file inside the waiting folder; empty: only retired
    std::string parked;    // where the old file goes inside atlas/; empty: no old file
};
struct CommitPlan {
    std::string folder = "."; // where the new files wait: "." (atlas/ itself) or a staging folder
    std::vector<CommitEntry> entries;
};

// The journal's text, and back; nullopt (with `why`) for anything but a
// complete journal of this version with safe names only.
std::string formatJournal(const CommitPlan& plan);
std::optional<CommitPlan> parseJournal(std::string_view text, std::string& why);

class AtlasDirectory {
public:
    // The journal's name inside the directory.
    static constexpr std::string_view kJournalName = ".vantor-journal";

    // Opens `path`, creating it (one level) when it is missing and `create`
    // is set. Throws VantorError naming the directory and the system's reason.
    explicit AtlasDirectory(std::filesystem::path path, bool create = true);
    ~AtlasDirectory();
    AtlasDirectory(const AtlasDirectory&) = delete;
    AtlasDirectory& operator=(const AtlasDirectory&) = delete;

    int fd() const noexcept { return fd_; }
    const std::filesystem::path& path() const noexcept { return path_; }
    bool locked() const noexcept { return lockFd_ >= 0; }

    // lock(), recover(), removeLeftovers(), in that order; true when an
    // interrupted commit was rolled back.
    bool beginWriting();
    // Takes the writer lock, held until this object is destroyed.
    void lock();
    // Rolls back an interrupted commit (the rule above); false when there
    // was none. Only while the lock is held. Throws VantorError when the
    // journal cannot be understood or a file cannot be put back.
    bool recover();
    // Deletes temporary files, staging folders and parked old files of
    // earlier runs. Only while the lock is held and no journal is in place;
    // failures are ignored.
    void removeLeftovers();
    // Whether something (a file, a link, a folder) stands at `name`.
    bool contains(const std::string& name) const;
    // Bytes available to this user on the directory's file system.
    std::uint64_t freeSpace() const;

    static bool isLeftoverName(std::string_view name);

    // Runs a commit (see above) whose new files wait in `sourceFd`
    // (`plan.folder`). Throws VantorError after rolling back on a failure.
    void commit(int sourceFd, const CommitPlan& plan) const;
    // A unique name to park the old `finalName` under.
    std::string parkingName(const std::string& finalName) const;

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
    // Moves every file into place in the order added. Under the directory's
    // lock this is the journaled commit above; `stopRequested` is asked just
    // before the journal is written, the last moment at which nothing has
    // changed (true: nothing is moved and false is returned). Without the
    // lock (a lone file such as config.ini) each file replaces its final
    // name by one rename. Throws VantorError on a failure.
    bool commit(const std::function<bool()>& stopRequested = {});

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
    // The journaled commit (atlas/ must be locked): the existing files named
    // in `retire` (regular files and links; missing names, repeats and
    // spellings that differ only in letter case from an earlier one are
    // skipped) are parked first, then every staged file is moved in,
    // replacing a file of the same name. Throws VantorError after rolling
    // back on a failure.
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
