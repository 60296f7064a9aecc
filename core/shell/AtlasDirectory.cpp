#include "shell/AtlasDirectory.hpp"

#include "shell/FileLayer.hpp"
#include "shell/VantorError.hpp"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace vantor {

namespace {

constexpr std::string_view kTemporaryPrefix = ".vantor-tmp-";
constexpr std::string_view kStagingPrefix = ".vantor-staging-";
constexpr const char* kLockName = ".lock";
constexpr const char* kRetiredName = "retired";
constexpr int kNameAttempts = 100;

// Eight letters or digits from the system's random source: no other process
// can predict the name (getrandom; the generation's seeded source is not touched).
std::string randomSuffix()
{
    static constexpr std::string_view kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    unsigned char bytes[8] = {};
    std::size_t got = 0;
    while (got < sizeof bytes) {
        const ssize_t n = ::getrandom(bytes + got, sizeof bytes - got, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw VantorError("Cannot make a temporary file name: no random source");
        got += static_cast<std::size_t>(n);
    }
    std::string out;
    for (const unsigned char b : bytes)
        out += kAlphabet[b % kAlphabet.size()];
    return out;
}

// The type of `name` inside `dirFd`, not following a link; 0 when it does not exist.
mode_t typeOf(int dirFd, const std::string& name)
{
    struct stat st {};
    if (::fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return 0;
    return st.st_mode & S_IFMT;
}

// Creates `name` exclusively in `dirFd`, writes and flushes the bytes. On a
// failure the file is removed and VantorError names `shown`; false when
// something already stands at `name` and `mayCollide` allows another try.
bool writeNewFile(int dirFd, const std::string& name, const ContentWriter& content, const std::filesystem::path& shown,
                  bool mayCollide)
{
    const int fd = fileio::createExclusive(dirFd, name.c_str());
    if (fd < 0) {
        if (errno == EEXIST && mayCollide)
            return false;
        ioError("Cannot create", shown, errno);
    }
    bool failed = false;
    const auto fail = [&](int error) {
        failed = true;
        fileio::unlink(dirFd, name.c_str(), false);
        ioError("Cannot write", shown, error);
    };
    // Each piece as it comes, one write (or more) each.
    try {
        content([&](std::span<const std::uint8_t> bytes) {
            std::size_t done = 0;
            while (done < bytes.size()) {
                const ssize_t n = fileio::write(fd, bytes.data() + done, bytes.size() - done);
                if (n < 0 && errno == EINTR)
                    continue;
                if (n <= 0) {
                    const int error = n < 0 ? errno : ENOSPC;
                    ::close(fd);
                    fail(error);
                }
                done += static_cast<std::size_t>(n);
            }
        });
    } catch (...) {
        if (!failed) { // the content itself failed: nothing of the file stays
            ::close(fd);
            fileio::unlink(dirFd, name.c_str(), false);
        }
        throw;
    }
    if (fileio::dataSync(fd) != 0) {
        const int error = errno;
        ::close(fd);
        fail(error);
    }
    if (fileio::close(fd) != 0)
        fail(errno);
    return true;
}

// Removes the folder `name` inside `dirFd` and everything in it, never
// following a link. Best effort: failures leave what could not be removed.
void removeTree(int dirFd, const std::string& name)
{
    const int fd = fileio::openDirectory(dirFd, name.c_str(), false);
    if (fd < 0) {
        if (errno == ENOTDIR || errno == ELOOP)
            fileio::unlink(dirFd, name.c_str(), false);
        return;
    }
    const int listFd = ::dup(fd);
    DIR* dir = listFd < 0 ? nullptr : ::fdopendir(listFd);
    if (dir == nullptr) {
        if (listFd >= 0)
            ::close(listFd);
        ::close(fd);
        return;
    }
    std::vector<std::pair<std::string, bool>> entries;
    while (const dirent* e = ::readdir(dir)) {
        const std::string entry = e->d_name;
        if (entry != "." && entry != "..")
            entries.emplace_back(entry, typeOf(fd, entry) == S_IFDIR);
    }
    ::closedir(dir);
    for (const auto& [entry, isDirectory] : entries) {
        if (isDirectory)
            removeTree(fd, entry);
        else
            fileio::unlink(fd, entry.c_str(), false);
    }
    ::close(fd);
    fileio::unlink(dirFd, name.c_str(), true);
}

// The renames of one commit, in order, so that a failure can put every file back.
class MoveJournal {
public:
    // Moves from -> to. An existing `to` is swapped with `from` atomically,
    // so that it can be put back; a file system without the swap gets a
    // plain rename, which cannot be undone.
    void move(int fromDir, const std::string& from, int toDir, const std::string& to,
              const std::filesystem::path& shown, std::string_view verb = {})
    {
        const bool exists = typeOf(toDir, to) != 0;
        if (exists) {
            if (fileio::exchange(fromDir, from.c_str(), toDir, to.c_str()) == 0) {
                done_.push_back({fromDir, from, toDir, to, Kind::Exchanged});
                return;
            }
            if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
                ioError(verb.empty() ? "Cannot replace" : verb, shown, errno);
        }
        if (fileio::rename(fromDir, from.c_str(), toDir, to.c_str()) != 0)
            ioError(!verb.empty() ? verb : exists ? "Cannot replace" : "Cannot move into place", shown, errno);
        done_.push_back({fromDir, from, toDir, to, exists ? Kind::Replaced : Kind::Moved});
    }

    // Puts every moved file back, the last first. Best effort.
    void rollback() noexcept
    {
        for (auto it = done_.rbegin(); it != done_.rend(); ++it) {
            if (it->kind == Kind::Exchanged)
                fileio::exchange(it->toDir, it->to.c_str(), it->fromDir, it->from.c_str());
            else if (it->kind == Kind::Moved)
                fileio::rename(it->toDir, it->to.c_str(), it->fromDir, it->from.c_str());
        }
        done_.clear();
    }

    // Whether `to` of this move now holds the replaced file's old content at `from`.
    bool swapped(const std::string& from) const
    {
        for (const Move& m : done_)
            if (m.from == from)
                return m.kind == Kind::Exchanged;
        return false;
    }

private:
    enum class Kind { Exchanged, Moved, Replaced };
    struct Move {
        int fromDir;
        std::string from;
        int toDir;
        std::string to;
        Kind kind;
    };
    std::vector<Move> done_;
};

// Refuses before any rename when a directory stands at a final name.
void requireNoDirectory(int dirFd, const std::string& name, const std::filesystem::path& shown)
{
    if (typeOf(dirFd, name) == S_IFDIR)
        ioError("Cannot replace", shown, EISDIR);
}

} // namespace

AtlasDirectory::AtlasDirectory(std::filesystem::path path, bool create) : path_(std::move(path))
{
    fd_ = fileio::openDirectory(AT_FDCWD, path_.c_str(), true);
    if (fd_ < 0 && errno == ENOENT && create) {
        if (fileio::makeDirectory(AT_FDCWD, path_.c_str(), 0755) != 0 && errno != EEXIST)
            ioError("Cannot create directory", path_, errno);
        fd_ = fileio::openDirectory(AT_FDCWD, path_.c_str(), true);
    }
    if (fd_ < 0)
        ioError("Cannot open directory", path_, errno);
}

AtlasDirectory::~AtlasDirectory()
{
    if (lockFd_ >= 0)
        ::close(lockFd_); // releases the lock
    ::close(fd_);
}

void AtlasDirectory::lock()
{
    if (lockFd_ >= 0)
        return;
    const int fd = fileio::openLockFile(fd_, kLockName);
    if (fd < 0)
        ioError("Cannot open lock file", path_ / kLockName, errno);
    if (fileio::lockExclusive(fd) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK)
            throw VantorError::translated("Another Vantor is writing " + path_.string(),
                                           "Do složky " + path_.string() + " právě zapisuje jiný Vantor");
        ioError("Cannot lock", path_ / kLockName, error);
    }
    lockFd_ = fd;
}

void AtlasDirectory::removeLeftovers()
{
    if (lockFd_ < 0)
        return;
    const int listFd = ::dup(fd_);
    DIR* dir = listFd < 0 ? nullptr : ::fdopendir(listFd);
    if (dir == nullptr) {
        if (listFd >= 0)
            ::close(listFd);
        return;
    }
    ::rewinddir(dir);
    std::vector<std::string> names;
    while (const dirent* e = ::readdir(dir))
        if (isLeftoverName(e->d_name))
            names.emplace_back(e->d_name);
    ::closedir(dir);
    for (const std::string& name : names) {
        if (typeOf(fd_, name) == S_IFDIR)
            removeTree(fd_, name);
        else
            fileio::unlink(fd_, name.c_str(), false);
    }
}

std::uint64_t AtlasDirectory::freeSpace() const
{
    if (const auto forced = FileFaults::freeSpace())
        return *forced;
    struct statvfs st {};
    if (::fstatvfs(fd_, &st) != 0)
        ioError("Cannot read the free space of", path_, errno);
    return static_cast<std::uint64_t>(st.f_bavail) * static_cast<std::uint64_t>(st.f_frsize);
}

bool AtlasDirectory::isLeftoverName(std::string_view name)
{
    const auto matches = [&](std::string_view prefix) {
        return name.size() >= prefix.size() + 8 && name.substr(0, prefix.size()) == prefix;
    };
    return matches(kTemporaryPrefix) || matches(kStagingPrefix);
}

FileSet::FileSet(const AtlasDirectory& directory) : directory_(directory) {}

FileSet::~FileSet()
{
    if (committed_)
        return;
    for (const Entry& e : entries_)
        fileio::unlink(directory_.fd(), e.temporary.c_str(), false);
}

namespace {

ContentWriter wholeContent(std::span<const std::uint8_t> bytes)
{
    return [bytes](const ByteWriter& write) { write(bytes); };
}

} // namespace

void FileSet::add(const std::string& name, std::span<const std::uint8_t> bytes)
{
    add(name, wholeContent(bytes));
}

void FileSet::add(const std::string& name, const ContentWriter& content)
{
    const std::filesystem::path shown = directory_.path() / name;
    for (int attempt = 1;; ++attempt) {
        const std::string temporary = std::string(kTemporaryPrefix) + randomSuffix() + "." + name;
        // Something already at the name (a planted link or file) is left alone: a new name is tried.
        if (writeNewFile(directory_.fd(), temporary, content, shown, attempt < kNameAttempts)) {
            entries_.push_back({name, temporary});
            return;
        }
    }
}

void FileSet::commit()
{
    const int dir = directory_.fd();
    for (const Entry& e : entries_)
        requireNoDirectory(dir, e.name, directory_.path() / e.name);
    MoveJournal journal;
    try {
        for (const Entry& e : entries_)
            journal.move(dir, e.temporary, dir, e.name, directory_.path() / e.name);
        if (fileio::sync(dir) != 0)
            ioError("Cannot flush directory", directory_.path(), errno);
    } catch (const VantorError&) {
        journal.rollback();
        throw;
    }
    committed_ = true;
    // The swapped temporary names now hold the replaced files' old content.
    for (const Entry& e : entries_)
        if (journal.swapped(e.temporary))
            fileio::unlink(dir, e.temporary.c_str(), false);
}

StagingDirectory::StagingDirectory(const AtlasDirectory& atlas) : atlas_(atlas)
{
    for (int attempt = 0;; ++attempt) {
        name_ = std::string(kStagingPrefix) + randomSuffix();
        if (fileio::makeDirectory(atlas_.fd(), name_.c_str(), 0700) == 0)
            break;
        if (errno != EEXIST || attempt + 1 >= kNameAttempts)
            ioError("Cannot create directory", atlas_.path() / name_, errno);
    }
    fd_ = fileio::openDirectory(atlas_.fd(), name_.c_str(), false);
    if (fd_ < 0) {
        const int error = errno;
        fileio::unlink(atlas_.fd(), name_.c_str(), true);
        ioError("Cannot open directory", atlas_.path() / name_, error);
    }
}

StagingDirectory::~StagingDirectory()
{
    ::close(fd_);
    removeTree(atlas_.fd(), name_);
}

void StagingDirectory::add(const std::string& name, std::span<const std::uint8_t> bytes)
{
    add(name, wholeContent(bytes));
}

void StagingDirectory::add(const std::string& name, const ContentWriter& content)
{
    std::uint64_t written = 0;
    writeNewFile(fd_, name, [&](const ByteWriter& write) {
        content([&](std::span<const std::uint8_t> piece) {
            write(piece);
            written += piece.size();
        });
    }, atlas_.path() / name, false);
    staged_.push_back(name);
    bytes_ += written;
}

void StagingDirectory::commit(const std::vector<std::string>& retire)
{
    const int atlas = atlas_.fd();
    for (const std::string& name : staged_)
        requireNoDirectory(atlas, name, atlas_.path() / name);
    std::vector<std::string> retiring;
    for (const std::string& name : retire) {
        const mode_t type = typeOf(atlas, name);
        if ((type == S_IFREG || type == S_IFLNK) &&
            std::find(staged_.begin(), staged_.end(), name) == staged_.end())
            retiring.push_back(name);
    }

    int retiredFd = -1;
    MoveJournal journal;
    try {
        if (!retiring.empty()) {
            if (fileio::makeDirectory(fd_, kRetiredName, 0700) != 0)
                ioError("Cannot create directory", atlas_.path() / name_ / kRetiredName, errno);
            retiredFd = fileio::openDirectory(fd_, kRetiredName, false);
            if (retiredFd < 0)
                ioError("Cannot open directory", atlas_.path() / name_ / kRetiredName, errno);
        }
        for (const std::string& name : retiring)
            journal.move(atlas, name, retiredFd, name, atlas_.path() / name, "Cannot remove");
        for (const std::string& name : staged_)
            journal.move(fd_, name, atlas, name, atlas_.path() / name);
        if (fileio::sync(atlas) != 0)
            ioError("Cannot flush directory", atlas_.path(), errno);
    } catch (const VantorError&) {
        journal.rollback();
        if (retiredFd >= 0)
            ::close(retiredFd);
        throw;
    }
    if (retiredFd >= 0)
        ::close(retiredFd);
}

} // namespace vantor
