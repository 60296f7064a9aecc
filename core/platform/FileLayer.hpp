#pragma once
// Every operating-system call under a write into atlas/ (and under the
// other files Vantor replaces), in one place: the rest of the core sees
// int handles, UTF-8 names and errno values, never an operating system.
// The counting and the test hook are FileHook.cpp (the same on every
// system); the operations themselves are Posix.cpp (file descriptors,
// openat and friends on directory handles) and Win32.cpp (HANDLEs kept in a
// table behind the int handles, UTF-16 names, the system's error texts).
//
// Numbered operations. Each function marked "counted" below is one numbered
// operation: the first after FileFaults::reset() (or the start of the
// process) is operation 1, the next 2, and so on. A test names operations
// that shall fail and the errno they report; the call then does nothing and
// returns -1 with that errno, exactly as the system would. Outside tests no
// operation is ever failed.
//
// The test hook (tests only). The environment variable VANTOR_TEST_FILE_HOOK,
// read once when the first operation is made, drives the same numbering in a
// real vantor-cli: a list of items separated by ';'
//   record=PATH       appends "<number> <kind> <name>" for every counted operation
//   fail=N:ERROR      operation N fails with ERROR (EIO, ENOSPC, EACCES, EROFS, EPERM)
//   sync=off          flushing skipped (still counted), as FileFaults::setSyncing(false)
//   kill-before=N     the process kills itself (SIGKILL; on Windows it is
//                     terminated with exit status 137) just before operation N
//   kill-after=N      ... just after operation N
//   hold-before=N     just before operation N, writes "vantor test hook: holding
//                     before operation N" to standard error and waits (at most
//                     a minute) until a signal (on Windows a console
//                     control event) arrives
//   wait-before-lock=PATH  before the writer lock is taken, writes "vantor test
//                     hook: waiting before the lock" to standard error and
//                     waits (at most a minute) until PATH exists
// Unknown items are ignored. No player sets this variable; it exists so that
// the tests can stop the program at any step of a commit.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

class FileFaults {
public:
    // Fails the given operations (1-based numbers) with `error`; clears the count.
    static void failOperations(std::vector<long> operations, int error);
    // No failures; the count starts again at zero.
    static void reset();
    // Operations made since the last reset().
    static long operationCount();
    // Flushing (dataSync/sync) on or off; off only for measuring what it costs.
    static void setSyncing(bool on);
    static bool syncing();
    // The free space reported for atlas/ (tests only); nullopt asks the system.
    static void setFreeSpace(std::optional<std::uint64_t> bytes);
    static std::optional<std::uint64_t> freeSpace();
};

namespace fileio {

// What stands at a name, not following a link.
enum class FileType { Missing, File, Directory, Link, Other };

// The handle meaning "the process's current directory" for a relative name.
int currentDirectory();

// Counted. Creates a directory; `privateFolder` makes it the user's alone (0700, else 0755).
int makeDirectory(int dirFd, const char* name, bool privateFolder);
// Counted. Opens a directory; a link at `name` is refused unless `followLink`.
int openDirectory(int dirFd, const char* name, bool followLink);
// Counted. Creates a new file for writing: never an existing file or link.
int createExclusive(int dirFd, const char* name);
// Counted. Opens an existing regular file for reading, never through a link,
// never blocking on a FIFO; anything else fails with EINVAL.
int openForReading(int dirFd, const char* name);
// Counted. The lock file: created when missing, never through a link.
int openLockFile(int dirFd, const char* name);
// Counted. Takes the exclusive lock without waiting; EWOULDBLOCK when another holds it.
int lockExclusive(int fd);
// Counted. Bytes written or read, -1 on failure.
long write(int fd, const void* data, std::size_t size);
long read(int fd, void* data, std::size_t size);
// Counted. Flushes a file's data / a file or directory whole; both succeed
// at once when syncing is off.
int dataSync(int fd);
int sync(int fd);
// Counted. Closes a handle that was written: a failure may mean lost data.
int close(int fd);
// Closes a handle whose close cannot lose anything (read-only, or already
// failed); not counted, never fails.
void release(int fd);
// Counted. Renames, replacing a file (not a directory) at `to`.
int rename(int fromDir, const char* from, int toDir, const char* to);
// Counted. Removes a file or link; `directory` removes an empty directory.
int unlink(int dirFd, const char* name, bool directory);
// Counted. The names inside a directory, "." and ".." left out.
int listDirectory(int dirFd, std::vector<std::string>& names);

// Not counted: they change nothing.
FileType typeOf(int dirFd, const char* name);
// Fills `out` from the system's random source; -1 when there is none.
int randomBytes(void* out, std::size_t size);
// Bytes available to this user on the file system of `dirFd`.
int freeSpace(int dirFd, std::uint64_t& bytes);
// The test hook's wait before the writer lock (see above); nothing outside tests.
void beforeLock();

} // namespace fileio

// "<what> <path>: <the system's reason>", as a VantorError.
[[noreturn]] void ioError(std::string_view what, const std::filesystem::path& path, int error);

} // namespace vantor
