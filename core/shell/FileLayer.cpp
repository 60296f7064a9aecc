#include "shell/FileLayer.hpp"

#include "shell/VantorError.hpp"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantor {

namespace {

struct FaultState {
    std::mutex mutex;
    std::vector<long> failing;
    int error = 0;
    long count = 0;
    bool syncing = true;
    std::optional<std::uint64_t> freeSpace;
};

FaultState& faults()
{
    static FaultState state;
    return state;
}

// Counts one operation; true (with errno set) when a test asked for it to fail.
bool injected()
{
    FaultState& s = faults();
    const std::lock_guard guard(s.mutex);
    ++s.count;
    if (s.failing.empty() || std::find(s.failing.begin(), s.failing.end(), s.count) == s.failing.end())
        return false;
    errno = s.error;
    return true;
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
    return s.syncing;
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

int makeDirectory(int dirFd, const char* name, mode_t mode)
{
    return injected() ? -1 : ::mkdirat(dirFd, name, mode);
}

int openDirectory(int dirFd, const char* name, bool followLink)
{
    if (injected())
        return -1;
    return ::openat(dirFd, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW));
}

int createExclusive(int dirFd, const char* name)
{
    if (injected())
        return -1;
    return ::openat(dirFd, name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
}

int openLockFile(int dirFd, const char* name)
{
    if (injected())
        return -1;
    // O_NONBLOCK: a FIFO planted at the name must not hang the program.
    const int fd = ::openat(dirFd, name, O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0644);
    if (fd < 0)
        return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = EINVAL;
        return -1;
    }
    return fd;
}

int lockExclusive(int fd)
{
    return injected() ? -1 : ::flock(fd, LOCK_EX | LOCK_NB);
}

ssize_t write(int fd, const void* data, std::size_t size)
{
    return injected() ? -1 : ::write(fd, data, size);
}

int dataSync(int fd)
{
    if (injected())
        return -1;
    return FileFaults::syncing() ? ::fdatasync(fd) : 0;
}

int sync(int fd)
{
    if (injected())
        return -1;
    return FileFaults::syncing() ? ::fsync(fd) : 0;
}

int close(int fd)
{
    if (injected()) {
        const int error = errno;
        ::close(fd); // the descriptor is released either way, as close(2) does
        errno = error;
        return -1;
    }
    return ::close(fd);
}

int exchange(int fromDir, const char* from, int toDir, const char* to)
{
    return injected() ? -1 : ::renameat2(fromDir, from, toDir, to, RENAME_EXCHANGE);
}

int rename(int fromDir, const char* from, int toDir, const char* to)
{
    return injected() ? -1 : ::renameat(fromDir, from, toDir, to);
}

int unlink(int dirFd, const char* name, bool directory)
{
    return injected() ? -1 : ::unlinkat(dirFd, name, directory ? AT_REMOVEDIR : 0);
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
    {"Cannot replace", "Nelze nahradit soubor"},
    {"Cannot move into place", "Nelze přesunout na místo soubor"},
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
