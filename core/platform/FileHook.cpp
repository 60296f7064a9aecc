// The file layer's numbered operations and its test hook (see
// FileLayer.hpp): the same on every system. The operations themselves are
// Posix.cpp and Win32.cpp; they start each one with an Operation.

#include "platform/FileLayer.hpp"

#include "platform/FileHookOperation.hpp"
#include "platform/HookSupport.hpp"
#include "platform/Platform.hpp"
#include "shell/VantorError.hpp"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>

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
            hook.recordFd = platform::hook::openRecord(std::string(arg));
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

void writeAll(int fd, const std::string& text)
{
    platform::hook::writeText(fd, text);
}

} // namespace

namespace fileio::detail {

Operation::Operation(const char* kind, std::string_view name)
{
    FaultState& state = faults();
    const TestHook& hook = state.hook; // read once, never changed after
    {
        const std::lock_guard guard(state.mutex);
        number_ = ++state.count;
        if (hook.recordFd >= 0) {
            const std::size_t slash = name.find_last_of("/\\");
            std::string line = std::to_string(number_) + " " + kind + " ";
            line += slash == std::string_view::npos ? name : name.substr(slash + 1);
            writeAll(hook.recordFd, line + "\n");
        }
        for (const auto& [operation, error] : hook.failing)
            if (operation == number_)
                error_ = error;
        if (std::find(state.failing.begin(), state.failing.end(), number_) != state.failing.end())
            error_ = state.error;
    }
    if (hook.killBefore == number_)
        platform::hook::killSelf();
    if (hook.holdBefore == number_) {
        writeAll(2, "vantor test hook: holding before operation " + std::to_string(number_) + "\n");
        platform::hook::holdUntilStopped(60);
    }
}

Operation::~Operation()
{
    if (faults().hook.killAfter == number_)
        platform::hook::killSelf();
}

bool Operation::failed() const
{
    if (error_ == 0)
        return false;
    errno = error_;
    return true;
}

} // namespace fileio::detail

namespace fileio::detail {

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

bool syncOff()
{
    return faults().hook.syncOff;
}

} // namespace fileio::detail

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

void beforeLock()
{
    const std::string& go = faults().hook.waitBeforeLock;
    if (go.empty())
        return;
    writeAll(2, "vantor test hook: waiting before the lock\n");
    for (int k = 0; k < 6000 && !platform::hook::exists(go); ++k)
        platform::hook::sleepMilliseconds(10);
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
    const std::string reason = platform::errorText(error);
    const std::string shown = platform::utf8(path);
    std::string czech;
    for (const OperationText& t : kOperationTexts)
        if (t.english == what)
            czech = std::string(t.czech) + " " + shown + ": " + reason;
    throw VantorError::translated(std::string(what) + " " + shown + ": " + reason, czech, error);
}

} // namespace vantor
