// The POSIX side of the file layer (see FileLayer.hpp).

#include "shell/FileLayer.hpp"

#include "shell/VantorError.hpp"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <signal.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace vantor {

namespace {

// What the test hook asks for (see FileLayer.hpp); all empty outside tests.
struct TestHook {
    int recordFd = -1;
    std::vector<std::pair<long, int>> failing; // operation, errno
    long killBefore = 0;
    long killAfter = 0;
    long holdBefore = 0;
    bool syncOff = false;
    std::string waitBeforeLock; // a file whose appearance lets the writer take the lock
};

struct FaultState {
    std::mutex mutex;
    std::vector<long> failing;
    int error = 0;
    long count = 0;
    bool syncing = true;
    std::optional<std::uint64_t> freeSpace;
    TestHook hook;
    std::map<int, std::string> handleNames; // for the record only
};

long parseNumber(std::string_view text)
{
    long n = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
    return ec == std::errc{} && end == text.data() + text.size() ? n : 0;
}

int parseError(std::string_view name)
{
    static constexpr std::pair<std::string_view, int> kErrors[] = {
        {"EIO", EIO}, {"ENOSPC", ENOSPC}, {"EACCES", EACCES}, {"EROFS", EROFS}, {"EPERM", EPERM}};
    for (const auto& [text, value] : kErrors)
        if (text == name)
            return value;
    return 0;
}

TestHook readTestHook()
{
    TestHook hook;
    const char* value = std::getenv("VANTOR_TEST_FILE_HOOK");
    if (value == nullptr)
        return hook;
    std::string_view rest = value;
    while (!rest.empty()) {
        const std::size_t end = rest.find(';');
        const std::string_view item = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
        const std::size_t eq = item.find('=');
        if (eq == std::string_view::npos)
            continue;
        const std::string_view key = item.substr(0, eq);
        const std::string_view arg = item.substr(eq + 1);
        if (key == "record") {
            hook.recordFd = ::open(std::string(arg).c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        } else if (key == "fail") {
            const std::size_t colon = arg.find(':');
            if (colon != std::string_view::npos)
                hook.failing.emplace_back(parseNumber(arg.substr(0, colon)), parseError(arg.substr(colon + 1)));
        } else if (key == "kill-before") {
            hook.killBefore = parseNumber(arg);
        } else if (key == "kill-after") {
            hook.killAfter = parseNumber(arg);
        } else if (key == "sync") {
            hook.syncOff = arg == "off";
        } else if (key == "hold-before") {
            hook.holdBefore = parseNumber(arg);
        } else if (key == "wait-before-lock") {
            hook.waitBeforeLock = std::string(arg);
        }
    }
    return hook;
}

FaultState& faults()
{
    static FaultState state;
    static std::once_flag hookRead;
    std::call_once(hookRead, [] { state.hook = readTestHook(); });
    return state;
}

void sleepMilliseconds(long ms)
{
    timespec t{ms / 1000, (ms % 1000) * 1000000L};
    ::nanosleep(&t, nullptr);
}

void writeAll(int fd, const std::string& text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n <= 0 && errno != EINTR)
            return;
        if (n > 0)
            done += static_cast<std::size_t>(n);
    }
}

// One counted operation, made by `run` unless a test fails it.
class Operation {
public:
    Operation(const char* kind, std::string_view name) : state_(faults())
    {
        const TestHook& hook = state_.hook; // read once, never changed after
        {
            const std::lock_guard guard(state_.mutex);
            number_ = ++state_.count;
            if (hook.recordFd >= 0) {
                const std::size_t slash = name.find_last_of('/');
                std::string line = std::to_string(number_) + " " + kind + " ";
                line += slash == std::string_view::npos ? name : name.substr(slash + 1);
                writeAll(hook.recordFd, line + "\n");
            }
            for (const auto& [operation, error] : hook.failing)
                if (operation == number_)
                    error_ = error;
            if (std::find(state_.failing.begin(), state_.failing.end(), number_) != state_.failing.end())
                error_ = state_.error;
        }
        if (hook.killBefore == number_)
            ::kill(::getpid(), SIGKILL);
        if (hook.holdBefore == number_) {
            writeAll(2, "vantor test hook: holding before operation " + std::to_string(number_) + "\n");
            for (int second = 0; second < 60; ++second) {
                timespec t{1, 0};
                if (::nanosleep(&t, nullptr) != 0 && errno == EINTR)
                    break;
            }
        }
    }
    ~Operation()
    {
        if (state_.hook.killAfter == number_)
            ::kill(::getpid(), SIGKILL);
    }
    Operation(const Operation&) = delete;
    Operation& operator=(const Operation&) = delete;

    // True (with errno set) when a test asked this operation to fail.
    bool failed() const
    {
        if (error_ == 0)
            return false;
        errno = error_;
        return true;
    }

private:
    FaultState& state_;
    long number_ = 0;
    int error_ = 0;
};

// The name a handle was opened with, for the record.
std::string handleName(int fd)
{
    FaultState& s = faults();
    if (s.hook.recordFd < 0)
        return {};
    const std::lock_guard guard(s.mutex);
    const auto it = s.handleNames.find(fd);
    return it == s.handleNames.end() ? std::string("?") : it->second;
}

int remember(int fd, const char* name)
{
    FaultState& s = faults();
    if (fd >= 0 && s.hook.recordFd >= 0) {
        const std::lock_guard guard(s.mutex);
        s.handleNames[fd] = name;
    }
    return fd;
}

} // namespace

void FileFaults::failOperations(std::vector<long> operations, int error)
{
    FaultState& s = faults();
    const std::lock_guard guard(s.mutex);
    s.failing = std::move(operations);
    s.error = error;
    s.count = 0;
}

void FileFaults::reset()
{
    failOperations({}, 0);
}

long FileFaults::operationCount()
{
    FaultState& s = faults();
    const std::lock_guard guard(s.mutex);
    return s.count;
}

void FileFaults::setSyncing(bool on)
{
    FaultState& s = faults();
    const std::lock_guard guard(s.mutex);
    s.syncing = on;
}

bool FileFaults::syncing()
{
    FaultState& s = faults();
    const std::lock_guard guard(s.mutex);
    return s.syncing && !s.hook.syncOff;
}

void FileFaults::setFreeSpace(std::optional<std::uint64_t> bytes)
{
    FaultState& s = faults();
    const std::lock_guard guard(s.mutex);
    s.freeSpace = bytes;
}

std::optional<std::uint64_t> FileFaults::freeSpace()
{
    FaultState& s = faults();
    const std::lock_guard guard(s.mutex);
    return s.freeSpace;
}

namespace fileio {

int currentDirectory()
{
    return AT_FDCWD;
}

int makeDirectory(int dirFd, const char* name, bool privateFolder)
{
    const Operation op("mkdir", name);
    return op.failed() ? -1 : ::mkdirat(dirFd, name, privateFolder ? 0700 : 0755);
}

int openDirectory(int dirFd, const char* name, bool followLink)
{
    const Operation op("opendir", name);
    if (op.failed())
        return -1;
    return remember(::openat(dirFd, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW)), name);
}

int createExclusive(int dirFd, const char* name)
{
    const Operation op("create", name);
    if (op.failed())
        return -1;
    return remember(::openat(dirFd, name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644), name);
}

namespace {

// openat with `flags` (never following a link, never blocking on a FIFO),
// kept only when a regular file stands there; anything else fails with EINVAL.
int openRegularFile(int dirFd, const char* name, int flags)
{
    const int fd = ::openat(dirFd, name, flags | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0644);
    if (fd < 0)
        return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = EINVAL;
        return -1;
    }
    return remember(fd, name);
}

} // namespace

int openForReading(int dirFd, const char* name)
{
    const Operation op("open", name);
    return op.failed() ? -1 : openRegularFile(dirFd, name, O_RDONLY);
}

int openLockFile(int dirFd, const char* name)
{
    const Operation op("openlock", name);
    return op.failed() ? -1 : openRegularFile(dirFd, name, O_RDWR | O_CREAT);
}

int lockExclusive(int fd)
{
    const Operation op("lock", handleName(fd));
    return op.failed() ? -1 : ::flock(fd, LOCK_EX | LOCK_NB);
}

long write(int fd, const void* data, std::size_t size)
{
    const Operation op("write", handleName(fd));
    return op.failed() ? -1 : static_cast<long>(::write(fd, data, size));
}

long read(int fd, void* data, std::size_t size)
{
    const Operation op("read", handleName(fd));
    return op.failed() ? -1 : static_cast<long>(::read(fd, data, size));
}

int dataSync(int fd)
{
    const Operation op("datasync", handleName(fd));
    if (op.failed())
        return -1;
    return FileFaults::syncing() ? ::fdatasync(fd) : 0;
}

int sync(int fd)
{
    const Operation op("sync", handleName(fd));
    if (op.failed())
        return -1;
    return FileFaults::syncing() ? ::fsync(fd) : 0;
}

int close(int fd)
{
    const Operation op("close", handleName(fd));
    if (op.failed()) {
        const int error = errno;
        ::close(fd); // the handle is released either way, as close(2) does
        errno = error;
        return -1;
    }
    return ::close(fd);
}

void release(int fd)
{
    if (fd >= 0)
        ::close(fd);
}

int rename(int fromDir, const char* from, int toDir, const char* to)
{
    const Operation op("rename", std::string(from) + " -> " + to);
    return op.failed() ? -1 : ::renameat(fromDir, from, toDir, to);
}

int unlink(int dirFd, const char* name, bool directory)
{
    const Operation op(directory ? "rmdir" : "unlink", name);
    return op.failed() ? -1 : ::unlinkat(dirFd, name, directory ? AT_REMOVEDIR : 0);
}

int listDirectory(int dirFd, std::vector<std::string>& names)
{
    const Operation op("list", handleName(dirFd));
    if (op.failed())
        return -1;
    // A handle of its own: readdir moves the position of the one it reads.
    const int listFd = ::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = listFd < 0 ? nullptr : ::fdopendir(listFd);
    if (dir == nullptr) {
        const int error = errno;
        if (listFd >= 0)
            ::close(listFd);
        errno = error;
        return -1;
    }
    names.clear();
    errno = 0;
    while (const dirent* e = ::readdir(dir)) {
        const std::string_view name = e->d_name;
        if (name != "." && name != "..")
            names.emplace_back(name);
    }
    const int error = errno;
    ::closedir(dir);
    errno = error;
    return error == 0 ? 0 : -1;
}

FileType typeOf(int dirFd, const char* name)
{
    struct stat st {};
    if (::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return FileType::Missing;
    switch (st.st_mode & S_IFMT) {
    case S_IFREG:
        return FileType::File;
    case S_IFDIR:
        return FileType::Directory;
    case S_IFLNK:
        return FileType::Link;
    default:
        return FileType::Other;
    }
}

int randomBytes(void* out, std::size_t size)
{
    auto* bytes = static_cast<unsigned char*>(out);
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = ::getrandom(bytes + got, size - got, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return -1;
        got += static_cast<std::size_t>(n);
    }
    return 0;
}

int freeSpace(int dirFd, std::uint64_t& bytes)
{
    if (const auto forced = FileFaults::freeSpace()) {
        bytes = *forced;
        return 0;
    }
    struct statvfs st {};
    if (::fstatvfs(dirFd, &st) != 0)
        return -1;
    bytes = static_cast<std::uint64_t>(st.f_bavail) * static_cast<std::uint64_t>(st.f_frsize);
    return 0;
}

void beforeLock()
{
    const std::string& go = faults().hook.waitBeforeLock;
    if (go.empty())
        return;
    writeAll(2, "vantor test hook: waiting before the lock\n");
    for (int k = 0; k < 6000 && ::access(go.c_str(), F_OK) != 0; ++k)
        sleepMilliseconds(10);
}

} // namespace fileio

namespace {

// The operations a write into atlas/ can fail at, English and Czech.
struct OperationText {
    std::string_view english;
    std::string_view czech;
};
constexpr OperationText kOperationTexts[] = {
    {"Cannot create", "Nelze vytvořit soubor"},
    {"Cannot write", "Nelze zapsat soubor"},
    {"Cannot read", "Nelze přečíst soubor"},
    {"Cannot replace", "Nelze nahradit soubor"},
    {"Cannot remove", "Nelze odstranit soubor"},
    {"Cannot move into place", "Nelze přesunout na místo soubor"},
    {"Cannot put back", "Nelze vrátit na místo soubor"},
    {"Cannot create directory", "Nelze vytvořit složku"},
    {"Cannot open directory", "Nelze otevřít složku"},
    {"Cannot flush directory", "Nelze uložit na disk složku"},
    {"Cannot open lock file", "Nelze otevřít zámek"},
    {"Cannot lock", "Nelze zamknout"},
    {"Cannot read the free space of", "Nelze zjistit volné místo ve složce"},
};

} // namespace

void ioError(std::string_view what, const std::filesystem::path& path, int error)
{
    const std::string reason = std::strerror(error);
    std::string czech;
    for (const OperationText& t : kOperationTexts)
        if (t.english == what)
            czech = std::string(t.czech) + " " + path.string() + ": " + reason;
    throw VantorError::translated(std::string(what) + " " + path.string() + ": " + reason, czech, error);
}

} // namespace vantor
