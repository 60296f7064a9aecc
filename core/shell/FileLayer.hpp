#pragma once
// The system calls under every write into atlas/, in one place so that a test
// can make any of them fail. Each call below is one numbered operation: the
// first call after FileFaults::reset() is operation 1, the next 2, and so on.
// A test names the operations that shall fail and the errno they report; the
// call then does nothing and returns -1 with that errno, exactly as the
// system would. Outside tests no operation is ever failed.
//
// The functions mirror the POSIX calls they wrap (return value and errno);
// the callers turn a failure into a VantorError naming the file and the
// system's reason (see ioError).

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/types.h>
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
    // Flushing (fdatasync/fsync) on or off; off only for measuring what it costs.
    static void setSyncing(bool on);
    static bool syncing();
    // The free space reported for atlas/ (tests only); nullopt asks the system.
    static void setFreeSpace(std::optional<std::uint64_t> bytes);
    static std::optional<std::uint64_t> freeSpace();
};

namespace fileio {

// mkdirat(dir, name, mode).
int makeDirectory(int dirFd, const char* name, mode_t mode);
// openat(dir, name, O_RDONLY|O_DIRECTORY|O_CLOEXEC), with O_NOFOLLOW unless `followLink`.
int openDirectory(int dirFd, const char* name, bool followLink);
// openat(dir, name, O_WRONLY|O_CREAT|O_EXCL|O_NOFOLLOW|O_CLOEXEC, 0644): never an existing file or link.
int createExclusive(int dirFd, const char* name);
// The lock file: created when missing, never through a link.
int openLockFile(int dirFd, const char* name);
// flock(fd, LOCK_EX|LOCK_NB).
int lockExclusive(int fd);
ssize_t write(int fd, const void* data, std::size_t size);
// fdatasync / fsync; both succeed at once when syncing is off.
int dataSync(int fd);
int sync(int fd);
int close(int fd);
// renameat2(RENAME_EXCHANGE): both names must exist; swaps them atomically.
int exchange(int fromDir, const char* from, int toDir, const char* to);
// renameat.
int rename(int fromDir, const char* from, int toDir, const char* to);
// unlinkat; `directory` removes an empty directory.
int unlink(int dirFd, const char* name, bool directory);

} // namespace fileio

// "<what> <path>: <strerror(error)>", as a VantorError.
[[noreturn]] void ioError(std::string_view what, const std::filesystem::path& path, int error);

} // namespace vantor
