// The Win32 side of the platform layer (Platform.hpp, FileLayer.hpp).
//
// Handles. The file layer's int handles index a table of HANDLEs. A
// directory handle also keeps the directory's full name as the system
// resolved it (GetFinalPathNameByHandleW, "\\?\" form, so long paths work),
// and a name inside it is that name, a backslash and the name. The
// directory stays open without FILE_SHARE_DELETE while it is used, so it
// (or a folder above it) cannot be renamed or removed under the program:
// the name keeps meaning the directory that was opened.
//
// Links. CreateFileW with FILE_FLAG_OPEN_REPARSE_POINT opens a symbolic
// link or junction itself rather than its target; a name-surrogate reparse
// point (a link, a junction, a mount point) found at a name that must not be
// followed is refused with ELOOP, as O_NOFOLLOW refuses a link. Other
// reparse points (cloud placeholders, deduplicated files) are ordinary files.
//
// Errors. Each failure sets errno (what the rest of the program tests) and
// remembers the system's error code beside it, so that errorText() gives the
// system's own words for it (FormatMessageW, in the system's language).
//
// Renames and removals that meet a file held open by another program (the
// game, a virus scanner, an indexer) are retried for a short while before
// the failure is reported; the rest of the program names the file.

#include "platform/FileHookOperation.hpp"
#include "platform/FileLayer.hpp"
#include "platform/HookSupport.hpp"
#include "platform/Platform.hpp"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <bcrypt.h>
#include <fcntl.h>
#include <io.h>
#include <psapi.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>

#ifndef IO_REPARSE_TAG_SYMLINK
#define IO_REPARSE_TAG_SYMLINK 0xA000000CL
#endif

namespace vantor {

using fileio::detail::handleName;
using fileio::detail::Operation;
using fileio::detail::remember;

namespace {

// ---- Text ------------------------------------------------------------------------

std::wstring widen(std::string_view text)
{
    if (text.empty())
        return {};
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(std::max(n, 0)), L'\0');
    if (n > 0)
        ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

std::string narrow(std::wstring_view text)
{
    if (text.empty())
        return {};
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                        nullptr);
    std::string out(static_cast<std::size_t>(std::max(n, 0)), '\0');
    if (n > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

// ---- Errors ------------------------------------------------------------------------

// The last failure's errno and the system error behind it (per thread).
thread_local int lastErrno = 0;
thread_local DWORD lastSystemError = 0;

int errnoFor(DWORD code)
{
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
        return ENOENT;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_PRIVILEGE_NOT_HELD:
        return EACCES;
    case ERROR_LOCK_VIOLATION:
        return EWOULDBLOCK;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_WRITE_PROTECT:
        return EROFS;
    case ERROR_DIR_NOT_EMPTY:
        return ENOTEMPTY;
    case ERROR_DIRECTORY:
        return ENOTDIR;
    case ERROR_CANT_RESOLVE_FILENAME:
    case ERROR_CANT_ACCESS_FILE:
        return ELOOP;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return ENOMEM;
    case ERROR_NOT_SAME_DEVICE:
        return EXDEV;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    case ERROR_INVALID_NAME:
    case ERROR_INVALID_PARAMETER:
    case ERROR_BAD_PATHNAME:
        return EINVAL;
    case ERROR_TOO_MANY_OPEN_FILES:
        return EMFILE;
    case ERROR_INVALID_HANDLE:
        return EBADF;
    default:
        return EIO;
    }
}

// Sets errno from a system error code (GetLastError() by default); returns -1.
int fail(DWORD code = ::GetLastError())
{
    lastErrno = errnoFor(code);
    lastSystemError = code;
    errno = lastErrno;
    return -1;
}

// Sets errno to an error of this layer's own (no system error behind it).
int failWith(int error)
{
    lastErrno = error;
    lastSystemError = 0;
    errno = error;
    return -1;
}

std::string systemMessage(DWORD code)
{
    wchar_t* buffer = nullptr;
    const DWORD n = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                         FORMAT_MESSAGE_IGNORE_INSERTS,
                                     nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::string text;
    if (n > 0 && buffer != nullptr)
        text = narrow(std::wstring_view(buffer, n));
    if (buffer != nullptr)
        ::LocalFree(buffer);
    // "The system cannot find the file specified.\r\n": one line, no full stop.
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.'))
        text.pop_back();
    if (text.empty())
        text = "system error " + std::to_string(code);
    return text;
}

// ---- The handle table --------------------------------------------------------------

constexpr int kCurrentDirectory = -100;
constexpr int kFirstHandle = 3;

struct Entry {
    HANDLE handle = INVALID_HANDLE_VALUE;
    std::wstring path; // directories: the full name inside which names are resolved
    bool directory = false;
};

struct HandleTable {
    std::mutex mutex;
    std::vector<std::unique_ptr<Entry>> entries;
};

HandleTable& table()
{
    static HandleTable t;
    return t;
}

int addHandle(HANDLE handle, std::wstring path, bool directory)
{
    HandleTable& t = table();
    const std::lock_guard guard(t.mutex);
    auto entry = std::make_unique<Entry>(Entry{handle, std::move(path), directory});
    for (std::size_t i = 0; i < t.entries.size(); ++i)
        if (!t.entries[i]) {
            t.entries[i] = std::move(entry);
            return static_cast<int>(i) + kFirstHandle;
        }
    t.entries.push_back(std::move(entry));
    return static_cast<int>(t.entries.size() - 1) + kFirstHandle;
}

// The entry of `fd` (copied: the table may grow meanwhile); nullopt for a bad handle.
std::optional<Entry> entryOf(int fd)
{
    HandleTable& t = table();
    const std::lock_guard guard(t.mutex);
    const long i = static_cast<long>(fd) - kFirstHandle;
    if (i < 0 || i >= static_cast<long>(t.entries.size()) || !t.entries[static_cast<std::size_t>(i)])
        return std::nullopt;
    return *t.entries[static_cast<std::size_t>(i)];
}

HANDLE handleOf(int fd)
{
    const auto e = entryOf(fd);
    return e ? e->handle : INVALID_HANDLE_VALUE;
}

// Closes and forgets `fd`; false for a bad handle or a failed CloseHandle.
bool removeHandle(int fd)
{
    HANDLE handle = INVALID_HANDLE_VALUE;
    {
        HandleTable& t = table();
        const std::lock_guard guard(t.mutex);
        const long i = static_cast<long>(fd) - kFirstHandle;
        if (i < 0 || i >= static_cast<long>(t.entries.size()) || !t.entries[static_cast<std::size_t>(i)])
            return false;
        handle = t.entries[static_cast<std::size_t>(i)]->handle;
        t.entries[static_cast<std::size_t>(i)].reset();
    }
    return ::CloseHandle(handle) != 0;
}

// The system's name for `name` inside the directory handle `dirFd`; empty
// (with errno) for a bad handle.
std::wstring pathIn(int dirFd, const char* name)
{
    std::wstring wide = widen(name);
    if (dirFd == kCurrentDirectory)
        return wide;
    const auto e = entryOf(dirFd);
    if (!e || !e->directory) {
        failWith(EBADF);
        return {};
    }
    // The "\\?\" form takes names literally: forward slashes are not separators there.
    std::replace(wide.begin(), wide.end(), L'/', L'\\');
    std::wstring path = e->path;
    if (!path.empty() && path.back() != L'\\')
        path += L'\\';
    return path + wide;
}

// The directory's full name as the system resolved it.
std::wstring resolvedName(HANDLE handle, const std::wstring& asOpened)
{
    std::wstring buffer(1024, L'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        const DWORD n = ::GetFinalPathNameByHandleW(handle, buffer.data(), static_cast<DWORD>(buffer.size()),
                                                    FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (n == 0)
            break;
        if (n < buffer.size()) {
            buffer.resize(n);
            return buffer;
        }
        buffer.assign(n + 1, L'\0');
    }
    // Without it: the full name of what was opened.
    const DWORD n = ::GetFullPathNameW(asOpened.c_str(), 0, nullptr, nullptr);
    if (n == 0)
        return asOpened;
    std::wstring full(n, L'\0');
    const DWORD m = ::GetFullPathNameW(asOpened.c_str(), n, full.data(), nullptr);
    full.resize(m < n ? m : 0);
    return full.empty() ? asOpened : full;
}

// What stands behind an open handle: attributes and reparse tag.
struct HandleKind {
    DWORD attributes = 0;
    DWORD reparseTag = 0;
    bool nameSurrogate() const
    {
        return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && IsReparseTagNameSurrogate(reparseTag);
    }
    bool directory() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
};

bool kindOf(HANDLE handle, HandleKind& kind)
{
    FILE_ATTRIBUTE_TAG_INFO info{};
    if (::GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &info, sizeof info)) {
        kind.attributes = info.FileAttributes;
        kind.reparseTag = info.ReparseTag;
        return true;
    }
    BY_HANDLE_FILE_INFORMATION basic{};
    if (!::GetFileInformationByHandle(handle, &basic))
        return false;
    kind.attributes = basic.dwFileAttributes;
    kind.reparseTag = (basic.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ? IO_REPARSE_TAG_SYMLINK : 0;
    return true;
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Opens a regular file (`access`, `disposition`) without following a link:
// a link or junction fails with ELOOP, a directory with EISDIR, and another
// reparse point is opened as the file it stands for.
HANDLE openRegular(const std::wstring& path, DWORD access, DWORD disposition)
{
    HANDLE h = ::CreateFileW(path.c_str(), access, kShareAll, nullptr, disposition,
                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        fail();
        return h;
    }
    HandleKind kind;
    if (!kindOf(h, kind)) {
        const DWORD code = ::GetLastError();
        ::CloseHandle(h);
        fail(code);
        return INVALID_HANDLE_VALUE;
    }
    if (kind.nameSurrogate() || kind.directory()) {
        ::CloseHandle(h);
        failWith(kind.nameSurrogate() ? ELOOP : EISDIR);
        return INVALID_HANDLE_VALUE;
    }
    if ((kind.attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        ::CloseHandle(h);
        h = ::CreateFileW(path.c_str(), access, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE)
            fail();
    }
    return h;
}

// A failure that another program's open handle causes and that goes away
// when it closes the file.
bool transient(DWORD code)
{
    return code == ERROR_SHARING_VIOLATION || code == ERROR_ACCESS_DENIED || code == ERROR_LOCK_VIOLATION;
}

// Runs `attempt` until it succeeds or fails for a lasting reason; a file
// held open is tried again for about two seconds in all.
template <typename F>
bool withRetry(F attempt)
{
    constexpr DWORD kPauses[] = {10, 20, 50, 100, 200, 300, 500, 800};
    for (const DWORD pause : kPauses) {
        if (attempt())
            return true;
        if (!transient(::GetLastError()))
            return false;
        ::Sleep(pause);
    }
    return attempt();
}

} // namespace

namespace fileio {

int currentDirectory()
{
    return kCurrentDirectory;
}

int makeDirectory(int dirFd, const char* name, bool privateFolder)
{
    // A private folder inherits the parent's permissions, as every folder a
    // user makes inside their own folders does.
    (void)privateFolder;
    const Operation op("mkdir", name);
    if (op.failed())
        return -1;
    const std::wstring path = pathIn(dirFd, name);
    if (path.empty())
        return -1;
    return ::CreateDirectoryW(path.c_str(), nullptr) ? 0 : fail();
}

int openDirectory(int dirFd, const char* name, bool followLink)
{
    const Operation op("opendir", name);
    if (op.failed())
        return -1;
    const std::wstring path = pathIn(dirFd, name);
    if (path.empty())
        return -1;
    // No FILE_SHARE_DELETE: the directory cannot be renamed away while it is open.
    HANDLE h = ::CreateFileW(path.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS | (followLink ? 0 : FILE_FLAG_OPEN_REPARSE_POINT), nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return fail();
    HandleKind kind;
    if (!kindOf(h, kind)) {
        const DWORD code = ::GetLastError();
        ::CloseHandle(h);
        return fail(code);
    }
    if ((!followLink && kind.nameSurrogate()) || !kind.directory()) {
        ::CloseHandle(h);
        return failWith(!kind.directory() ? ENOTDIR : ELOOP);
    }
    return remember(addHandle(h, resolvedName(h, path), true), name);
}

int createExclusive(int dirFd, const char* name)
{
    const Operation op("create", name);
    if (op.failed())
        return -1;
    const std::wstring path = pathIn(dirFd, name);
    if (path.empty())
        return -1;
    // CREATE_NEW fails when anything stands at the name, a link included
    // (even one whose target is missing): nothing is ever written through one.
    HANDLE h = ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return fail();
    return remember(addHandle(h, {}, false), name);
}

int openForReading(int dirFd, const char* name)
{
    const Operation op("open", name);
    if (op.failed())
        return -1;
    const std::wstring path = pathIn(dirFd, name);
    if (path.empty())
        return -1;
    HANDLE h = openRegular(path, GENERIC_READ, OPEN_EXISTING);
    if (h == INVALID_HANDLE_VALUE) {
        if (errno == EISDIR)
            failWith(EINVAL); // as the POSIX side: anything but a regular file
        return -1;
    }
    return remember(addHandle(h, {}, false), name);
}

int openLockFile(int dirFd, const char* name)
{
    const Operation op("openlock", name);
    if (op.failed())
        return -1;
    const std::wstring path = pathIn(dirFd, name);
    if (path.empty())
        return -1;
    HANDLE h = openRegular(path, GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS);
    if (h == INVALID_HANDLE_VALUE) {
        if (errno == EISDIR)
            failWith(EINVAL);
        return -1;
    }
    return remember(addHandle(h, {}, false), name);
}

int lockExclusive(int fd)
{
    const Operation op("lock", handleName(fd));
    if (op.failed())
        return -1;
    HANDLE h = handleOf(fd);
    if (h == INVALID_HANDLE_VALUE)
        return failWith(EBADF);
    // The whole possible range of the (empty) lock file; released when the handle closes.
    OVERLAPPED at{};
    if (!::LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD, &at)) {
        const DWORD code = ::GetLastError();
        return fail(code == ERROR_IO_PENDING ? ERROR_LOCK_VIOLATION : code);
    }
    return 0;
}

long write(int fd, const void* data, std::size_t size)
{
    const Operation op("write", handleName(fd));
    if (op.failed())
        return -1;
    HANDLE h = handleOf(fd);
    if (h == INVALID_HANDLE_VALUE)
        return failWith(EBADF);
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
    if (!::WriteFile(h, data, chunk, &written, nullptr))
        return fail();
    return static_cast<long>(written);
}

long read(int fd, void* data, std::size_t size)
{
    const Operation op("read", handleName(fd));
    if (op.failed())
        return -1;
    HANDLE h = handleOf(fd);
    if (h == INVALID_HANDLE_VALUE)
        return failWith(EBADF);
    DWORD got = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
    if (!::ReadFile(h, data, chunk, &got, nullptr))
        return fail();
    return static_cast<long>(got);
}

namespace {

// FlushFileBuffers for a file. A directory needs none: every rename is made
// with MOVEFILE_WRITE_THROUGH, which returns only when it is on the disk.
int flush(int fd)
{
    const auto e = entryOf(fd);
    if (!e)
        return failWith(EBADF);
    if (e->directory || !FileFaults::syncing())
        return 0;
    return ::FlushFileBuffers(e->handle) ? 0 : fail();
}

} // namespace

int dataSync(int fd)
{
    const Operation op("datasync", handleName(fd));
    return op.failed() ? -1 : flush(fd);
}

int sync(int fd)
{
    const Operation op("sync", handleName(fd));
    return op.failed() ? -1 : flush(fd);
}

int close(int fd)
{
    const Operation op("close", handleName(fd));
    if (op.failed()) {
        const int error = errno;
        removeHandle(fd); // the handle is released either way, as close(2) does
        errno = error;
        return -1;
    }
    if (!removeHandle(fd))
        return fail();
    return 0;
}

void release(int fd)
{
    if (fd >= 0)
        removeHandle(fd);
}

int rename(int fromDir, const char* from, int toDir, const char* to)
{
    const Operation op("rename", std::string(from) + " -> " + to);
    if (op.failed())
        return -1;
    const std::wstring source = pathIn(fromDir, from);
    const std::wstring target = pathIn(toDir, to);
    if (source.empty() || target.empty())
        return -1;
    // Replaces a file at `target` (never a directory: MoveFileExW refuses one).
    if (withRetry([&] {
            return ::MoveFileExW(source.c_str(), target.c_str(),
                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
        }))
        return 0;
    return fail();
}

int unlink(int dirFd, const char* name, bool directory)
{
    const Operation op(directory ? "rmdir" : "unlink", name);
    if (op.failed())
        return -1;
    const std::wstring path = pathIn(dirFd, name);
    if (path.empty())
        return -1;
    if (directory)
        return withRetry([&] { return ::RemoveDirectoryW(path.c_str()) != 0; }) ? 0 : fail();
    // A link or junction to a directory is removed as a directory (the link
    // only, never what it points to).
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
            return failWith(EISDIR);
        return withRetry([&] { return ::RemoveDirectoryW(path.c_str()) != 0; }) ? 0 : fail();
    }
    return withRetry([&] { return ::DeleteFileW(path.c_str()) != 0; }) ? 0 : fail();
}

int listDirectory(int dirFd, std::vector<std::string>& names)
{
    const Operation op("list", handleName(dirFd));
    if (op.failed())
        return -1;
    const auto e = entryOf(dirFd);
    if (!e || !e->directory)
        return failWith(EBADF);
    std::wstring pattern = e->path;
    if (!pattern.empty() && pattern.back() != L'\\')
        pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE)
        return fail();
    names.clear();
    do {
        const std::wstring_view name = found.cFileName;
        if (name != L"." && name != L"..")
            names.push_back(narrow(name));
    } while (::FindNextFileW(search, &found));
    const DWORD code = ::GetLastError();
    ::FindClose(search);
    return code == ERROR_NO_MORE_FILES ? 0 : fail(code);
}

FileType typeOf(int dirFd, const char* name)
{
    const std::wstring path = pathIn(dirFd, name);
    if (path.empty())
        return FileType::Missing;
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return FileType::Missing;
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        HANDLE h = ::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        HandleKind kind;
        const bool known = h != INVALID_HANDLE_VALUE && kindOf(h, kind);
        if (h != INVALID_HANDLE_VALUE)
            ::CloseHandle(h);
        if (!known || kind.nameSurrogate())
            return FileType::Link;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return FileType::Directory;
    if ((attributes & FILE_ATTRIBUTE_DEVICE) != 0)
        return FileType::Other;
    return FileType::File;
}

int randomBytes(void* out, std::size_t size)
{
    auto* bytes = static_cast<unsigned char*>(out);
    while (size > 0) {
        const ULONG chunk = static_cast<ULONG>(std::min<std::size_t>(size, 1u << 20));
        if (!BCRYPT_SUCCESS(::BCryptGenRandom(nullptr, bytes, chunk, BCRYPT_USE_SYSTEM_PREFERRED_RNG)))
            return failWith(EIO);
        bytes += chunk;
        size -= chunk;
    }
    return 0;
}

int freeSpace(int dirFd, std::uint64_t& bytes)
{
    if (const auto forced = FileFaults::freeSpace()) {
        bytes = *forced;
        return 0;
    }
    const auto e = entryOf(dirFd);
    if (!e || !e->directory)
        return failWith(EBADF);
    std::wstring path = e->path;
    if (!path.empty() && path.back() != L'\\')
        path += L'\\';
    ULARGE_INTEGER available{};
    if (!::GetDiskFreeSpaceExW(path.c_str(), &available, nullptr, nullptr))
        return fail();
    bytes = available.QuadPart;
    return 0;
}

} // namespace fileio

// ---- Stop requests ------------------------------------------------------------------
// (before the hook: holding waits for one)

namespace platform {

namespace {

std::atomic<int> receivedStop{0};
std::atomic<int> stopEvent{-1}; // the console control event, for its name
std::atomic<StopNotifier> stopNotifier{nullptr};
HANDLE stopped = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);

BOOL WINAPI onConsoleControl(DWORD event)
{
    int request = 0;
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
        request = kStopInterrupt;
        break;
    case CTRL_CLOSE_EVENT:
        request = kStopHangUp;
        break;
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        request = kStopTerminate;
        break;
    default:
        return FALSE;
    }
    int none = 0;
    if (receivedStop.compare_exchange_strong(none, request))
        stopEvent = static_cast<int>(event);
    if (stopped != nullptr)
        ::SetEvent(stopped);
    if (const StopNotifier notify = stopNotifier.load())
        notify(request);
    // After a close, log-off or shutdown the system ends the process when
    // this handler returns: wait here instead (the system allows about five
    // seconds) so that the program stops in order and exits by itself.
    if (request != kStopInterrupt)
        ::Sleep(4500);
    return TRUE;
}

} // namespace

void installStopHandlers(StopNotifier notify)
{
    stopNotifier = notify;
    ::SetConsoleCtrlHandler(onConsoleControl, TRUE);
}

int stopRequest() noexcept
{
    return receivedStop.load();
}

void requestStop(int request) noexcept
{
    int none = 0;
    receivedStop.compare_exchange_strong(none, request);
    if (stopped != nullptr)
        ::SetEvent(stopped);
}

const char* stopName(int request) noexcept
{
    switch (stopEvent.load()) {
    case CTRL_C_EVENT:
        return "Ctrl-C";
    case CTRL_BREAK_EVENT:
        return "Ctrl-Break";
    case CTRL_CLOSE_EVENT:
        return "closing the console";
    case CTRL_LOGOFF_EVENT:
        return "log-off";
    case CTRL_SHUTDOWN_EVENT:
        return "shutdown";
    default:
        break;
    }
    switch (request) {
    case kStopInterrupt:
        return "an interrupt";
    case kStopHangUp:
        return "a hang-up";
    default:
        return "a stop request";
    }
}

} // namespace platform

// ---- What the test hook needs ---------------------------------------------------------

namespace platform::hook {

int openRecord(const std::string& utf8Path)
{
    HANDLE h = ::CreateFileW(widen(utf8Path).c_str(), FILE_APPEND_DATA, kShareAll, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    return h == INVALID_HANDLE_VALUE ? -1 : addHandle(h, {}, false);
}

void writeText(int handle, const std::string& text)
{
    HANDLE h = handle == 2 ? ::GetStdHandle(STD_ERROR_HANDLE) : handleOf(handle);
    if (h == INVALID_HANDLE_VALUE || h == nullptr)
        return;
    std::size_t done = 0;
    while (done < text.size()) {
        DWORD n = 0;
        if (!::WriteFile(h, text.data() + done, static_cast<DWORD>(text.size() - done), &n, nullptr) || n == 0)
            return;
        done += n;
    }
}

void killSelf()
{
    ::TerminateProcess(::GetCurrentProcess(), 137);
    std::_Exit(137);
}

void holdUntilStopped(int seconds)
{
    if (platform::stopped != nullptr)
        ::WaitForSingleObject(platform::stopped, static_cast<DWORD>(seconds) * 1000);
    else
        ::Sleep(static_cast<DWORD>(seconds) * 1000);
}

bool exists(const std::string& utf8Path)
{
    return ::GetFileAttributesW(widen(utf8Path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void sleepMilliseconds(long ms)
{
    ::Sleep(static_cast<DWORD>(ms));
}

} // namespace platform::hook

namespace platform {

// ---- Names, time, environment -------------------------------------------------------

std::filesystem::path pathFromUtf8(std::string_view text)
{
    return std::filesystem::path(widen(text));
}

std::string utf8(const std::filesystem::path& path)
{
    return narrow(path.native());
}

std::string errorText(int error)
{
    if (error == lastErrno && lastSystemError != 0)
        return systemMessage(lastSystemError);
    return std::strerror(error);
}

std::tm localTime(std::time_t t)
{
    std::tm local{};
    ::localtime_s(&local, &t);
    return local;
}

std::optional<std::string> environment(const char* name)
{
    const std::wstring wide = widen(name);
    const DWORD n = ::GetEnvironmentVariableW(wide.c_str(), nullptr, 0);
    if (n == 0)
        return ::GetLastError() == ERROR_ENVVAR_NOT_FOUND ? std::nullopt : std::optional<std::string>(std::string());
    std::wstring value(n, L'\0');
    const DWORD m = ::GetEnvironmentVariableW(wide.c_str(), value.data(), n);
    value.resize(m < n ? m : 0);
    return narrow(value);
}

std::filesystem::path executablePath()
{
    std::wstring buffer(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 6; ++attempt) {
        const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0)
            return {};
        if (n < buffer.size()) {
            buffer.resize(n);
            return std::filesystem::path(buffer);
        }
        buffer.resize(buffer.size() * 2);
    }
    return {};
}

std::optional<std::filesystem::path> localAppDataFolder()
{
    PWSTR folder = nullptr;
    std::optional<std::filesystem::path> result;
    if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &folder)) && folder != nullptr)
        result = std::filesystem::path(folder);
    ::CoTaskMemFree(folder);
    if (!result)
        if (const auto variable = environment("LOCALAPPDATA"); variable && !variable->empty())
            result = pathFromUtf8(*variable);
    return result;
}

// ---- Reading files ------------------------------------------------------------------

int openFileForReading(const std::filesystem::path& path, FileInfo& info)
{
    HANDLE h = ::CreateFileW(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return fail();
    BY_HANDLE_FILE_INFORMATION about{};
    if (!::GetFileInformationByHandle(h, &about)) {
        const DWORD code = ::GetLastError();
        ::CloseHandle(h);
        return fail(code);
    }
    info.directory = (about.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    info.regular = !info.directory && ::GetFileType(h) == FILE_TYPE_DISK;
    info.size = (static_cast<std::uint64_t>(about.nFileSizeHigh) << 32) | about.nFileSizeLow;
    return addHandle(h, {}, false);
}

long readFileAt(int handle, void* to, std::size_t count, std::uint64_t offset)
{
    HANDLE h = handleOf(handle);
    if (h == INVALID_HANDLE_VALUE)
        return failWith(EBADF);
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(count, 1u << 30));
    if (!::ReadFile(h, to, chunk, &got, &at))
        return ::GetLastError() == ERROR_HANDLE_EOF ? 0 : fail();
    return static_cast<long>(got);
}

long readFile(int handle, void* to, std::size_t count)
{
    HANDLE h = handleOf(handle);
    if (h == INVALID_HANDLE_VALUE)
        return failWith(EBADF);
    DWORD got = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(count, 1u << 30));
    if (!::ReadFile(h, to, chunk, &got, nullptr))
        return ::GetLastError() == ERROR_HANDLE_EOF ? 0 : fail();
    return static_cast<long>(got);
}

void closeFile(int handle)
{
    if (handle >= 0)
        removeHandle(handle);
}

// ---- Memory and the process ---------------------------------------------------------

void adviseHugePages(void* block, std::size_t bytes) noexcept
{
    (void)block;
    (void)bytes;
}

bool processFaults(long& minor, long& major) noexcept
{
    // Windows counts page faults without telling soft from hard ones.
    PROCESS_MEMORY_COUNTERS counters{};
    if (!::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters))
        return false;
    minor = static_cast<long>(counters.PageFaultCount);
    major = 0;
    return true;
}

std::vector<std::string> commandLineArguments(int argc, char** argv)
{
    int count = 0;
    LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (wide == nullptr)
        return std::vector<std::string>(argv, argv + argc);
    std::vector<std::string> args;
    for (int i = 0; i < count; ++i)
        args.push_back(narrow(wide[i]));
    ::LocalFree(wide);
    return args;
}

void prepareCommandLineProcess()
{
    // UTF-8 text reaches the console as such; output to a pipe or file is
    // the program's bytes unchanged (no "\r" added to line ends), as on Linux.
    ::SetConsoleOutputCP(CP_UTF8);
    std::fflush(stdout);
    std::fflush(stderr);
    ::_setmode(::_fileno(stdout), _O_BINARY);
    ::_setmode(::_fileno(stderr), _O_BINARY);
}

bool isTerminal(std::FILE* stream)
{
    DWORD mode = 0;
    HANDLE h = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(stream)));
    return h != INVALID_HANDLE_VALUE && ::GetConsoleMode(h, &mode) != 0;
}

} // namespace platform

} // namespace vantor
