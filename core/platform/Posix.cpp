// The POSIX side of the platform layer (Platform.hpp, FileLayer.hpp):
// file descriptors, operations relative to open directory handles, UTF-8
// names as the system takes them.

#include "platform/FileHookOperation.hpp"
#include "platform/FileLayer.hpp"
#include "platform/HookSupport.hpp"
#include "platform/Platform.hpp"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#ifdef __linux__
#include <sys/mman.h>
#endif
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <sys/resource.h>

namespace vantor {

using fileio::detail::handleName;
using fileio::detail::Operation;
using fileio::detail::remember;

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

} // namespace fileio

// ---- What the test hook needs ---------------------------------------------------

namespace platform::hook {

int openRecord(const std::string& utf8Path)
{
    return ::open(utf8Path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
}

void writeText(int handle, const std::string& text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(handle, text.data() + done, text.size() - done);
        if (n <= 0 && errno != EINTR)
            return;
        if (n > 0)
            done += static_cast<std::size_t>(n);
    }
}

void killSelf()
{
    ::kill(::getpid(), SIGKILL);
    std::_Exit(137);
}

void holdUntilStopped(int seconds)
{
    for (int second = 0; second < seconds; ++second) {
        timespec t{1, 0};
        if (::nanosleep(&t, nullptr) != 0 && errno == EINTR)
            break;
    }
}

bool exists(const std::string& utf8Path)
{
    return ::access(utf8Path.c_str(), F_OK) == 0;
}

void sleepMilliseconds(long ms)
{
    timespec t{ms / 1000, (ms % 1000) * 1000000L};
    ::nanosleep(&t, nullptr);
}

} // namespace platform::hook

// ---- Names, time, environment -------------------------------------------------

namespace platform {

std::filesystem::path pathFromUtf8(std::string_view text)
{
    return std::filesystem::path(text);
}

std::string utf8(const std::filesystem::path& path)
{
    return path.string();
}

std::string errorText(int error)
{
    return std::strerror(error);
}

std::tm localTime(std::time_t t)
{
    std::tm local{};
    ::localtime_r(&t, &local);
    return local;
}

std::optional<std::string> environment(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
}

std::filesystem::path executablePath()
{
    std::error_code ec;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path() : self;
}

std::optional<std::filesystem::path> localAppDataFolder()
{
    return std::nullopt;
}

// ---- Reading files ------------------------------------------------------------

int openFileForReading(const std::filesystem::path& path, FileInfo& info)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    info.regular = S_ISREG(st.st_mode);
    info.directory = S_ISDIR(st.st_mode);
    info.size = static_cast<std::uint64_t>(st.st_size);
    return fd;
}

long readFileAt(int handle, void* to, std::size_t count, std::uint64_t offset)
{
    return static_cast<long>(::pread(handle, to, count, static_cast<off_t>(offset)));
}

long readFile(int handle, void* to, std::size_t count)
{
    return static_cast<long>(::read(handle, to, count));
}

void closeFile(int handle)
{
    if (handle >= 0)
        ::close(handle);
}

// ---- Memory and the process -----------------------------------------------------

void adviseHugePages(void* block, std::size_t bytes) noexcept
{
#ifdef __linux__
    ::madvise(block, bytes, MADV_HUGEPAGE);
#else
    (void)block;
    (void)bytes;
#endif
}

bool processFaults(long& minor, long& major) noexcept
{
    rusage usage {};
    if (::getrusage(RUSAGE_SELF, &usage) != 0)
        return false;
    minor = usage.ru_minflt;
    major = usage.ru_majflt;
    return true;
}

std::vector<std::string> commandLineArguments(int argc, char** argv)
{
    return std::vector<std::string>(argv, argv + argc);
}

void prepareCommandLineProcess()
{
    // A reader that closes its end early (`vantor-cli city | true`) must not
    // kill the program mid-save with SIGPIPE: writes to a closed standard
    // output or error fail quietly instead, and the exit status stays that
    // of the work done.
    std::signal(SIGPIPE, SIG_IGN);
#ifdef __GLIBC__
    // A campaign allocates pictures of a few megabytes city after city.
    // Keeping freed memory in the process (no mmap for them, no trimming)
    // spares the kernel faulting in and zeroing fresh pages every time.
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 1024 * 1024 * 1024);
#endif
}

bool isTerminal(std::FILE* stream)
{
    return ::isatty(::fileno(stream)) != 0;
}

// ---- Stop requests ----------------------------------------------------------------

namespace {

volatile std::sig_atomic_t receivedStop = 0;
std::atomic<StopNotifier> stopNotifier{nullptr};

extern "C" void vantorPlatformOnStopSignal(int signal)
{
    if (receivedStop == 0)
        receivedStop = signal;
    if (const StopNotifier notify = stopNotifier.load())
        notify(signal);
}

} // namespace

void installStopHandlers(StopNotifier notify)
{
    stopNotifier = notify;
    struct sigaction action {};
    action.sa_handler = vantorPlatformOnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
}

int stopRequest() noexcept
{
    return receivedStop;
}

void requestStop(int request) noexcept
{
    if (receivedStop == 0)
        receivedStop = request;
}

const char* stopName(int request) noexcept
{
    switch (request) {
    case SIGINT:
        return "SIGINT";
    case SIGTERM:
        return "SIGTERM";
    case SIGHUP:
        return "SIGHUP";
    default:
        return "a signal";
    }
}

} // namespace platform

} // namespace vantor
