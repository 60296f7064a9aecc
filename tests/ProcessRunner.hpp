#pragma once
// Runs a program as a child process for the tests, the same way on POSIX
// systems and on Windows: an argument vector (each argument reaches the
// program as one word, never through a shell), variables added to the
// environment, an optional standard input text, standard output and error
// captured together, and a bounded wait: a program still running when its
// time is up is killed and reported as timed out.
//
// The tests may call the operating system directly; this file and
// ProcessRunner.cpp choose between the two sides with _WIN32.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vantor::test {

// The longest a program started by a test may run by default.
inline constexpr unsigned kProgramSeconds = VANTOR_TEST_TIMEOUT_SECONDS;

// What a program's file name ends with on this system ("" or ".exe"), for
// tests that copy a program under a name of their own.
#ifdef _WIN32
inline constexpr const char* kExecutableSuffix = ".exe";
#else
inline constexpr const char* kExecutableSuffix = "";
#endif

struct ProcessOptions {
    // Variables added to the test's own environment (replacing any of the
    // same name).
    std::vector<std::pair<std::string, std::string>> environment;
    // Standard input; without it the program reads an empty input.
    std::optional<std::string> input;
    // Standard output and error go to a pipe whose reading end is already
    // closed (as in `program | true`) instead of being captured.
    bool closedOutput = false;
    // The longest the program may run before it is killed.
    unsigned seconds = kProgramSeconds;
    // Limits only POSIX systems have (0: none): the largest file the program
    // may write (writes beyond it fail with EFBIG, as on a full disk) and the
    // address space it may map. Starting a program with either set fails on
    // Windows; tests that need them skip there (see kHasResourceLimits).
    std::uint64_t fileSizeLimit = 0;
    std::uint64_t addressSpaceLimit = 0;
};

#ifdef _WIN32
inline constexpr bool kHasResourceLimits = false;
#else
inline constexpr bool kHasResourceLimits = true;
#endif

struct ProcessResult {
    bool started = false;  // false when the program could not be started at all
    bool timedOut = false; // killed when its time was up
    int exitCode = -1;     // the exit status; -1 when it did not exit by itself
    int signal = 0;        // the POSIX signal that ended it, 0 otherwise
    std::string output;    // standard output and standard error together
};

// A stop request as a user gives it: Interrupt is Ctrl-C (SIGINT), Terminate
// and Hangup are SIGTERM and SIGHUP, which only POSIX systems send. On
// Windows a program started by a test runs in a process group of its own and
// receives Ctrl-Break there instead of Ctrl-C.
enum class StopRequest { Interrupt, Terminate, Hangup };

// A running program. Its output goes to a file the test can read while it
// runs; the destructor kills a program still running.
class Process {
public:
    Process(const std::filesystem::path& program, const std::vector<std::string>& args,
            const ProcessOptions& options = {});
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    bool started() const { return started_; }
    // Why it could not be started (empty when it was).
    const std::string& startError() const { return startError_; }

    // The output written so far.
    std::string output() const;
    // Waits (within the program's time) until the output holds `text`;
    // false when the time ran out or the program ended without writing it.
    bool waitForOutput(std::string_view text);
    // True while the program has not ended.
    bool running();
    // Sends a stop request; false when this system cannot send it (the test
    // then skips with a reason) or sending failed.
    bool stop(StopRequest request);
    // Waits for the end (killing the program when its time is up).
    ProcessResult wait();

private:
    void finish(bool kill);

    std::filesystem::path work_; // holds the output and input files
    std::filesystem::path outputFile_;
    unsigned seconds_ = kProgramSeconds;
    bool started_ = false;
    bool finished_ = false;
    std::string startError_;
    ProcessResult result_;
    std::int64_t deadline_ = 0; // steady-clock milliseconds
#ifdef _WIN32
    void* process_ = nullptr; // HANDLE
    unsigned long id_ = 0;
#else
    int pid_ = -1;
#endif
};

// Runs a program to its end.
ProcessResult runProcess(const std::filesystem::path& program, const std::vector<std::string>& args,
                         const ProcessOptions& options = {});

// A test process's id (for unique temporary names).
long currentProcessId();
// Sets or removes a variable of the test's own environment.
void setEnvironment(const std::string& name, const std::string& value);
void unsetEnvironment(const std::string& name);

// The command line CreateProcessW needs for `args` so that the program's
// argument parser (CommandLineToArgvW, the C runtime) gives back each one
// unchanged. Plain text work, so it is tested on every system.
std::wstring windowsCommandLine(const std::vector<std::wstring>& args);

} // namespace vantor::test
