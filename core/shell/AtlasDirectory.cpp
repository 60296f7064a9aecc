#include "shell/AtlasDirectory.hpp"

#include "platform/FileLayer.hpp"
#include "platform/Platform.hpp"
#include "shell/VantorError.hpp"

#include <algorithm>
#include <cerrno>
#include <charconv>

namespace vantor {

namespace {

using fileio::FileType;

constexpr std::string_view kTemporaryPrefix = ".vantor-tmp-";
constexpr std::string_view kStagingPrefix = ".vantor-staging-";
constexpr std::string_view kParkedPrefix = ".vantor-old-";
constexpr std::size_t kSuffixLength = 8;
constexpr const char* kLockName = ".lock";
constexpr std::string_view kJournalHeader = "vantor-journal 1";
constexpr std::size_t kMaxJournalBytes = std::size_t{1} << 20;
constexpr int kNameAttempts = 100;

const std::string kJournal(AtlasDirectory::kJournalName);

// The path as the file layer takes it: UTF-8.
std::string utf8(const std::filesystem::path& path)
{
    return platform::utf8(path);
}

std::string lowerAscii(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// Eight letters or digits from the system's random source: no other process
// can predict the name (the generation's seeded source is not touched).
std::string randomSuffix()
{
    static constexpr std::string_view kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    unsigned char bytes[kSuffixLength] = {};
    if (fileio::randomBytes(bytes, sizeof bytes) != 0)
        throw VantorError("Cannot make a temporary file name: no random source");
    std::string out;
    for (const unsigned char b : bytes)
        out += kAlphabet[b % kAlphabet.size()];
    return out;
}

bool hasPrefix(std::string_view name, std::string_view prefix)
{
    return name.size() >= prefix.size() + kSuffixLength && name.substr(0, prefix.size()) == prefix;
}

// Creates `name` exclusively in `dirFd`, writes and flushes the bytes. On a
// failure the file is removed and VantorError names `shown`; false when
// something already stands at `name` and `mayCollide` allows another try.
// A file's content that is whole in memory: one piece.
ContentWriter wholeContent(std::span<const std::uint8_t> bytes)
{
    return [bytes](const ByteWriter& write) { write(bytes); };
}

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
                const long n = fileio::write(fd, bytes.data() + done, bytes.size() - done);
                if (n < 0 && errno == EINTR)
                    continue;
                if (n <= 0) {
                    const int error = n < 0 ? errno : ENOSPC;
                    fileio::release(fd);
                    fail(error);
                }
                done += static_cast<std::size_t>(n);
            }
        });
    } catch (...) {
        if (!failed) { // the content itself failed: nothing of the file stays
            fileio::release(fd);
            fileio::unlink(dirFd, name.c_str(), false);
        }
        throw;
    }
    if (fileio::dataSync(fd) != 0) {
        const int error = errno;
        fileio::release(fd);
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
    std::vector<std::string> entries;
    if (fileio::listDirectory(fd, entries) != 0) {
        fileio::release(fd);
        return;
    }
    for (const std::string& entry : entries) {
        if (fileio::typeOf(fd, entry.c_str()) == FileType::Directory)
            removeTree(fd, entry);
        else
            fileio::unlink(fd, entry.c_str(), false);
    }
    fileio::release(fd);
    fileio::unlink(dirFd, name.c_str(), true);
}

// Refuses before any rename when a directory stands at a final name.
void requireNoDirectory(int dirFd, const std::string& name, const std::filesystem::path& shown)
{
    if (fileio::typeOf(dirFd, name.c_str()) == FileType::Directory)
        ioError("Cannot replace", shown, EISDIR);
}

// ---- The journal's text ------------------------------------------------------
//
//   vantor-journal 1
//   folder<TAB><"." or the staging folder>
//   file<TAB><final name><TAB><new file or -><TAB><parked name or ->   (one per entry)
//   end<TAB><number of entries>
//
// Lines end in LF. Names never hold a tab, a line end or a path separator.

bool safeName(std::string_view name)
{
    if (name.empty() || name.size() > 255 || name == "." || name == "..")
        return false;
    return std::none_of(name.begin(), name.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return c == '/' || c == '\\' || u < 0x20 || u == 0x7F;
    });
}

std::vector<std::string_view> splitTabs(std::string_view line)
{
    std::vector<std::string_view> out;
    for (;;) {
        const std::size_t tab = line.find('\t');
        out.push_back(line.substr(0, tab));
        if (tab == std::string_view::npos)
            return out;
        line.remove_prefix(tab + 1);
    }
}

} // namespace

std::string formatJournal(const CommitPlan& plan)
{
    const auto field = [](const std::string& name) { return name.empty() ? std::string("-") : name; };
    std::string text = std::string(kJournalHeader) + "\nfolder\t" + plan.folder + "\n";
    for (const CommitEntry& e : plan.entries)
        text += "file\t" + e.finalName + "\t" + field(e.source) + "\t" + field(e.parked) + "\n";
    text += "end\t" + std::to_string(plan.entries.size()) + "\n";
    return text;
}

std::optional<CommitPlan> parseJournal(std::string_view text, std::string& why)
{
    const auto refuse = [&why](std::string reason) -> std::optional<CommitPlan> {
        why = std::move(reason);
        return std::nullopt;
    };
    if (text.empty() || text.back() != '\n')
        return refuse("it is incomplete");
    std::vector<std::string_view> lines;
    for (std::string_view rest = text.substr(0, text.size() - 1);;) {
        const std::size_t end = rest.find('\n');
        lines.push_back(rest.substr(0, end));
        if (end == std::string_view::npos)
            break;
        rest.remove_prefix(end + 1);
    }
    if (lines.front() != kJournalHeader)
        return refuse(lines.front().starts_with("vantor-journal ") ? "it was written by another version of Vantor"
                                                                   : "it does not start as a journal");
    if (lines.size() < 3)
        return refuse("it is incomplete");
    CommitPlan plan;
    const std::vector<std::string_view> folder = splitTabs(lines[1]);
    if (folder.size() != 2 || folder[0] != "folder" ||
        (folder[1] != "." && !(hasPrefix(folder[1], kStagingPrefix) && safeName(folder[1]))))
        return refuse("line 2 does not name the folder of the new files");
    plan.folder = std::string(folder[1]);
    for (std::size_t k = 2; k + 1 < lines.size(); ++k) {
        const std::vector<std::string_view> f = splitTabs(lines[k]);
        const std::string where = "line " + std::to_string(k + 1);
        if (f.size() != 4 || f[0] != "file")
            return refuse(where + " is not a file entry");
        CommitEntry e{std::string(f[1]), f[2] == "-" ? std::string() : std::string(f[2]),
                      f[3] == "-" ? std::string() : std::string(f[3])};
        if (!safeName(e.finalName) || e.finalName.starts_with(".vantor-") || e.finalName == kLockName)
            return refuse(where + " names a file Vantor does not write");
        if (!e.source.empty() &&
            (!safeName(e.source) || (plan.folder == "." && !hasPrefix(e.source, kTemporaryPrefix))))
            return refuse(where + " names an unsafe new file");
        if (!e.parked.empty() && (!safeName(e.parked) || !hasPrefix(e.parked, kParkedPrefix)))
            return refuse(where + " names an unsafe parked file");
        if (e.source.empty() && e.parked.empty())
            return refuse(where + " names neither a new nor an old file");
        plan.entries.push_back(std::move(e));
    }
    const std::vector<std::string_view> end = splitTabs(lines.back());
    std::size_t count = 0;
    if (end.size() != 2 || end[0] != "end" ||
        std::from_chars(end[1].data(), end[1].data() + end[1].size(), count).ptr != end[1].data() + end[1].size() ||
        count != plan.entries.size())
        return refuse("it is incomplete");
    return plan;
}

namespace {

// Puts every file of `plan` back (the recovery rule in the header), the last
// entry first. Throws VantorError at the first file that cannot be moved.
void rollBack(int atlasFd, int sourceFd, const CommitPlan& plan, const std::filesystem::path& atlas)
{
    for (auto e = plan.entries.rbegin(); e != plan.entries.rend(); ++e) {
        const char* finalName = e->finalName.c_str();
        if (!e->source.empty() && fileio::typeOf(sourceFd, e->source.c_str()) == FileType::Missing &&
            fileio::typeOf(atlasFd, finalName) != FileType::Missing &&
            fileio::rename(atlasFd, finalName, sourceFd, e->source.c_str()) != 0)
            ioError("Cannot put back", atlas / e->finalName, errno);
        if (!e->parked.empty() && fileio::typeOf(atlasFd, e->parked.c_str()) != FileType::Missing &&
            fileio::rename(atlasFd, e->parked.c_str(), atlasFd, finalName) != 0)
            ioError("Cannot put back", atlas / e->finalName, errno);
    }
}

// After a roll-back: the directory flushed, then the journal removed.
void closeJournal(int atlasFd, const std::filesystem::path& atlas)
{
    if (fileio::sync(atlasFd) != 0)
        ioError("Cannot flush directory", atlas, errno);
    if (fileio::unlink(atlasFd, kJournal.c_str(), false) != 0)
        ioError("Cannot remove", atlas / kJournal, errno);
    fileio::sync(atlasFd); // a journal that comes back is rolled back again: no harm
}

} // namespace

AtlasDirectory::AtlasDirectory(std::filesystem::path path, bool create) : path_(std::move(path))
{
    const int here = fileio::currentDirectory();
    fd_ = fileio::openDirectory(here, utf8(path_).c_str(), true);
    if (fd_ < 0 && errno == ENOENT && create) {
        if (fileio::makeDirectory(here, utf8(path_).c_str(), false) != 0 && errno != EEXIST)
            ioError("Cannot create directory", path_, errno);
        fd_ = fileio::openDirectory(here, utf8(path_).c_str(), true);
    }
    if (fd_ < 0)
        ioError("Cannot open directory", path_, errno);
}

AtlasDirectory::~AtlasDirectory()
{
    fileio::release(lockFd_); // releases the lock
    fileio::release(fd_);
}

bool AtlasDirectory::beginWriting()
{
    lock();
    const bool repaired = recover();
    removeLeftovers();
    return repaired;
}

void AtlasDirectory::lock()
{
    if (lockFd_ >= 0)
        return;
    fileio::beforeLock();
    const int fd = fileio::openLockFile(fd_, kLockName);
    if (fd < 0)
        ioError("Cannot open lock file", path_ / kLockName, errno);
    if (fileio::lockExclusive(fd) != 0) {
        const int error = errno;
        fileio::release(fd);
        if (error == EWOULDBLOCK)
            throw VantorError::translated("Another Vantor is writing " + platform::utf8(path_),
                                           "Do složky " + platform::utf8(path_) + " právě zapisuje jiný Vantor");
        ioError("Cannot lock", path_ / kLockName, error);
    }
    lockFd_ = fd;
}

bool AtlasDirectory::recover()
{
    if (lockFd_ < 0)
        return false;
    const std::filesystem::path journalPath = path_ / kJournal;
    const int fd = fileio::openForReading(fd_, kJournal.c_str());
    if (fd < 0) {
        if (errno == ENOENT)
            return false;
        ioError("Cannot read", journalPath, errno);
    }
    std::string text(kMaxJournalBytes + 1, '\0');
    std::size_t got = 0;
    while (got < text.size()) {
        const long n = fileio::read(fd, text.data() + got, text.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int error = errno;
            fileio::release(fd);
            ioError("Cannot read", journalPath, error);
        }
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    fileio::release(fd);
    text.resize(got);
    std::string why = "it is larger than a journal can be";
    const std::optional<CommitPlan> plan = got > kMaxJournalBytes ? std::nullopt : parseJournal(text, why);
    if (!plan)
        throw VantorError::translated(
            "The save journal " + platform::utf8(journalPath) + " cannot be used (" + why +
                "): an interrupted save may have left files under .vantor-old- names; nothing was changed. "
                "Check " + platform::utf8(path_) + " and move the journal away to write again",
            "Deník ukládání " + platform::utf8(journalPath) + " nelze použít (" + why +
                "): přerušené ukládání mohlo nechat soubory pod jmény .vantor-old-; nic nebylo změněno. "
                "Zkontrolujte " + platform::utf8(path_) + " a deník odstraňte, pak lze znovu zapisovat");
    int sourceFd = fd_;
    if (plan->folder != ".") {
        sourceFd = fileio::openDirectory(fd_, plan->folder.c_str(), false);
        if (sourceFd < 0)
            ioError("Cannot open directory", path_ / plan->folder, errno);
    }
    try {
        rollBack(fd_, sourceFd, *plan, path_);
        closeJournal(fd_, path_);
    } catch (const VantorError&) {
        if (sourceFd != fd_)
            fileio::release(sourceFd);
        throw;
    }
    if (sourceFd != fd_)
        fileio::release(sourceFd);
    return true;
}

void AtlasDirectory::removeLeftovers()
{
    if (lockFd_ < 0 || contains(kJournal))
        return;
    std::vector<std::string> names;
    if (fileio::listDirectory(fd_, names) != 0)
        return;
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        if (!isLeftoverName(name))
            continue;
        if (fileio::typeOf(fd_, name.c_str()) == FileType::Directory)
            removeTree(fd_, name);
        else
            fileio::unlink(fd_, name.c_str(), false);
    }
}

bool AtlasDirectory::contains(const std::string& name) const
{
    return fileio::typeOf(fd_, name.c_str()) != FileType::Missing;
}

std::uint64_t AtlasDirectory::freeSpace() const
{
    std::uint64_t bytes = 0;
    if (fileio::freeSpace(fd_, bytes) != 0)
        ioError("Cannot read the free space of", path_, errno);
    return bytes;
}

bool AtlasDirectory::isLeftoverName(std::string_view name)
{
    return hasPrefix(name, kTemporaryPrefix) || hasPrefix(name, kStagingPrefix) || hasPrefix(name, kParkedPrefix);
}

std::string AtlasDirectory::parkingName(const std::string& finalName) const
{
    for (int attempt = 1;; ++attempt) {
        std::string name = std::string(kParkedPrefix) + randomSuffix() + "." + finalName;
        if (!contains(name) || attempt >= kNameAttempts)
            return name;
    }
}

void AtlasDirectory::commit(int sourceFd, const CommitPlan& plan) const
{
    // Only the holder of the lock commits, and only over a repaired directory.
    if (lockFd_ < 0 || contains(kJournal))
        throw VantorError("Cannot commit into " + platform::utf8(path_) + ": not opened for writing");

    // 1. The journal, flushed and in place before the first file moves. A
    // plan the recovery could not read back is refused before anything.
    const std::string text = formatJournal(plan);
    if (std::string why; !parseJournal(text, why))
        throw VantorError("Cannot commit into " + platform::utf8(path_) + ": " + why);
    const auto bytes = std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    std::string temporary;
    for (int attempt = 1;; ++attempt) {
        temporary = std::string(kTemporaryPrefix) + randomSuffix() + ".journal";
        if (writeNewFile(fd_, temporary, wholeContent(bytes), path_ / kJournal, attempt < kNameAttempts))
            break;
    }
    if (fileio::rename(fd_, temporary.c_str(), fd_, kJournal.c_str()) != 0) {
        const int error = errno;
        fileio::unlink(fd_, temporary.c_str(), false);
        ioError("Cannot move into place", path_ / kJournal, error);
    }
    if (fileio::sync(fd_) != 0) {
        const int error = errno;
        fileio::unlink(fd_, kJournal.c_str(), false);
        ioError("Cannot flush directory", path_, error);
    }

    // 2. and 3. Park and move in, flush, then the commit point.
    try {
        for (const CommitEntry& e : plan.entries) {
            const char* finalName = e.finalName.c_str();
            // A parked name that is gone already was the same file under
            // another spelling on a file system that ignores case.
            if (!e.parked.empty() && fileio::rename(fd_, finalName, fd_, e.parked.c_str()) != 0 && errno != ENOENT)
                ioError(e.source.empty() ? "Cannot remove" : "Cannot replace", path_ / e.finalName, errno);
            if (!e.source.empty() && fileio::rename(sourceFd, e.source.c_str(), fd_, finalName) != 0)
                ioError(e.parked.empty() ? "Cannot move into place" : "Cannot replace", path_ / e.finalName, errno);
        }
        if (fileio::sync(fd_) != 0)
            ioError("Cannot flush directory", path_, errno);
        if (fileio::unlink(fd_, kJournal.c_str(), false) != 0)
            ioError("Cannot remove", path_ / kJournal, errno);
    } catch (const VantorError&) {
        try {
            rollBack(fd_, sourceFd, plan, path_);
            closeJournal(fd_, path_);
        } catch (const VantorError&) {
            // The journal stays: the next writer finishes the roll-back.
        }
        throw;
    }
    // A failed flush here is not a failed commit: a journal that came back
    // after a power cut would only be rolled back to the complete old state.
    fileio::sync(fd_);
    for (const CommitEntry& e : plan.entries)
        if (!e.parked.empty())
            fileio::unlink(fd_, e.parked.c_str(), false);
}

FileSet::FileSet(const AtlasDirectory& directory) : directory_(directory) {}

FileSet::~FileSet()
{
    // Temporary files named by a journal that stayed are needed to roll it back.
    if (committed_ || directory_.contains(kJournal))
        return;
    for (const Entry& e : entries_)
        fileio::unlink(directory_.fd(), e.temporary.c_str(), false);
}

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

bool FileSet::commit(const std::function<bool()>& stopRequested)
{
    const int dir = directory_.fd();
    for (const Entry& e : entries_)
        requireNoDirectory(dir, e.name, directory_.path() / e.name);
    if (!directory_.locked()) {
        for (const Entry& e : entries_) {
            const bool exists = directory_.contains(e.name);
            if (fileio::rename(dir, e.temporary.c_str(), dir, e.name.c_str()) != 0)
                ioError(exists ? "Cannot replace" : "Cannot move into place", directory_.path() / e.name, errno);
        }
        committed_ = true;
        if (fileio::sync(dir) != 0)
            ioError("Cannot flush directory", directory_.path(), errno);
        return true;
    }
    if (stopRequested && stopRequested())
        return false;
    CommitPlan plan;
    for (const Entry& e : entries_)
        plan.entries.push_back({e.name, e.temporary, directory_.contains(e.name) ? directory_.parkingName(e.name) : ""});
    directory_.commit(dir, plan);
    committed_ = true;
    return true;
}

StagingDirectory::StagingDirectory(const AtlasDirectory& atlas) : atlas_(atlas)
{
    for (int attempt = 0;; ++attempt) {
        name_ = std::string(kStagingPrefix) + randomSuffix();
        if (fileio::makeDirectory(atlas_.fd(), name_.c_str(), true) == 0)
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
    fileio::release(fd_);
    // New files named by a journal that stayed are needed to roll it back.
    if (!atlas_.contains(kJournal))
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
    CommitPlan plan;
    plan.folder = name_;
    // The retired files first: on a file system that ignores case, a staged
    // file may be the same file as a retired name spelt otherwise.
    std::vector<std::string> seen;
    for (const std::string& name : retire) {
        std::string key = lowerAscii(name);
        if (std::find(seen.begin(), seen.end(), key) != seen.end())
            continue;
        seen.push_back(std::move(key));
        if (std::find(staged_.begin(), staged_.end(), name) != staged_.end())
            continue; // replaced by its staged file below
        const FileType type = fileio::typeOf(atlas, name.c_str());
        if (type == FileType::File || type == FileType::Link)
            plan.entries.push_back({name, "", atlas_.parkingName(name)});
    }
    for (const std::string& name : staged_)
        plan.entries.push_back({name, name, atlas_.contains(name) ? atlas_.parkingName(name) : ""});
    atlas_.commit(fd_, plan);
}

} // namespace vantor
