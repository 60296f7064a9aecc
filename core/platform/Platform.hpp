#pragma once
// The operating system as the rest of the program sees it: everything that
// is not a write into a directory (that is FileLayer.hpp). One POSIX side
// (Posix.cpp) and one Win32 side (Win32.cpp), chosen when the program is
// built; nothing outside core/platform/ includes a system header.
//
// Text is UTF-8 everywhere outside this layer. On Windows the layer turns
// it into UTF-16 where it meets the system (file names, the command line,
// environment variables, the console) and back.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantor::platform {

// ---- Names -------------------------------------------------------------------

// A path from UTF-8 text, and back. (std::filesystem's narrow strings mean
// the ANSI code page on Windows: Czech names would not survive them.)
std::filesystem::path pathFromUtf8(std::string_view text);
std::string utf8(const std::filesystem::path& path);

// The system's words for an errno value from this layer: on Windows the
// text FormatMessageW gives for the system error behind it (in the
// system's language), else strerror().
std::string errorText(int error);

// ---- Time, environment, the program's own file --------------------------------

// The local time of `t` (thread-safe).
std::tm localTime(std::time_t t);
// An environment variable's value (UTF-8); nullopt when it is not set.
std::optional<std::string> environment(const char* name);
// The running program's own file; empty when the system does not say.
std::filesystem::path executablePath();
// The user's folder for programs' local files (%LOCALAPPDATA% on Windows);
// nullopt where the system has none (POSIX: the XDG rule applies instead).
std::optional<std::filesystem::path> localAppDataFolder();

// ---- Reading files (not counted by the file layer) -----------------------------

struct FileInfo {
    bool regular = false;
    bool directory = false;
    std::uint64_t size = 0;
};
// Opens `path` for reading without blocking on a FIFO and describes what it
// is; -1 with errno on failure. Close with closeFile().
int openFileForReading(const std::filesystem::path& path, FileInfo& info);
// Bytes read at `offset` / at the current position, 0 at the end, -1 with errno.
long readFileAt(int handle, void* to, std::size_t count, std::uint64_t offset);
long readFile(int handle, void* to, std::size_t count);
void closeFile(int handle);

// ---- Memory and the process ---------------------------------------------------

// Asks for huge pages behind a large block; only a hint (nothing on Windows,
// where large pages are for privileged programs only).
void adviseHugePages(void* block, std::size_t bytes) noexcept;
// Page faults of the whole process so far; false where the system does not count them.
bool processFaults(long& minor, long& major) noexcept;

// The command line as UTF-8 (on Windows read from the wide command line).
std::vector<std::string> commandLineArguments(int argc, char** argv);
// What a command-line program sets up first: writes to a closed pipe fail
// instead of killing the program, the allocator keeps large blocks (glibc),
// and UTF-8 text reaches the console as such (Windows).
void prepareCommandLineProcess();
// Whether `stream` is a terminal (a console on Windows).
bool isTerminal(std::FILE* stream);

// ---- Stop requests ------------------------------------------------------------
//
// A stop request is the signal's number on POSIX (SIGINT, SIGTERM, SIGHUP)
// and the same numbers for the console's control events on Windows: Ctrl-C
// and Ctrl-Break are an interrupt (2), closing the console is a hang-up (1),
// log-off and shutdown are a termination (15). The exit status after a stop
// is 128 + the number everywhere.
constexpr int kStopHangUp = 1;
constexpr int kStopInterrupt = 2;
constexpr int kStopTerminate = 15;

// Called in the handler (a signal handler, or the console's control thread):
// only async-signal-safe work.
using StopNotifier = void (*)(int request);

// Installs the handlers; every request is recorded and `notify` (if given)
// called. On Windows the console's control thread then waits (a few seconds
// at most, the time the system allows) so that the program ends by its own
// orderly exit rather than being terminated in the middle of a commit.
void installStopHandlers(StopNotifier notify = nullptr);
// The first stop request received, 0 while none.
int stopRequest() noexcept;
// Records a stop request as a handler would (tests).
void requestStop(int request) noexcept;
// "SIGINT", "SIGTERM", "SIGHUP" (on Windows "Ctrl-C", "console close", "log-off or shutdown").
const char* stopName(int request) noexcept;

} // namespace vantor::platform
