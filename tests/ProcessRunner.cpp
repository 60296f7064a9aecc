#include "ProcessRunner.hpp"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <system_error>
#include <thread>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <map>
#include <process.h>
#else
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;
#endif

namespace vantor::test {

namespace fs = std::filesystem;

namespace {

std::int64_t nowMilliseconds()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::string readAll(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A fresh folder for one program's output and input files.
fs::path makeWorkFolder()
{
    static std::atomic<int> counter{0};
    const fs::path dir = fs::temp_directory_path() / ("vantor-process-" + std::to_string(currentProcessId()) + "-" +
                                                       std::to_string(counter++));
    std::error_code ignored;
    fs::remove_all(dir, ignored);
    fs::create_directories(dir);
    return dir;
}

// Sleeps a little longer each time while polling, from 1 ms up to 20 ms.
void pause(int& step)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(step));
    step = step < 20 ? step * 2 : 20;
}

#ifdef _WIN32

std::wstring wide(std::string_view text)
{
    if (text.empty())
        return {};
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

std::string systemMessage(DWORD code)
{
    return "Windows error " + std::to_string(code);
}

// Case-insensitive order of variable names, as Windows keeps its environment.
struct NameLess {
    bool operator()(const std::wstring& a, const std::wstring& b) const
    {
        return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](wchar_t x, wchar_t y) {
            return std::towupper(x) < std::towupper(y);
        });
    }
};

// The test's environment with `additions`, as a CREATE_UNICODE_ENVIRONMENT block.
std::wstring environmentBlock(const std::vector<std::pair<std::string, std::string>>& additions)
{
    std::map<std::wstring, std::wstring, NameLess> variables;
    std::vector<std::wstring> hidden; // "=C:=C:\..." entries, kept first as they are
    if (wchar_t* block = ::GetEnvironmentStringsW()) {
        for (const wchar_t* p = block; *p != L'\0'; p += std::wcslen(p) + 1) {
            const std::wstring entry(p);
            const std::size_t eq = entry.find(L'=', 1);
            if (entry[0] == L'=' || eq == std::wstring::npos)
                hidden.push_back(entry);
            else
                variables[entry.substr(0, eq)] = entry.substr(eq + 1);
        }
        ::FreeEnvironmentStringsW(block);
    }
    for (const auto& [name, value] : additions)
        variables[wide(name)] = wide(value);
    std::wstring out;
    for (const std::wstring& entry : hidden)
        out += entry + L'\0';
    for (const auto& [name, value] : variables)
        out += name + L'=' + value + L'\0';
    out += L'\0';
    return out;
}

HANDLE openInherited(const fs::path& file, DWORD access, DWORD disposition)
{
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return ::CreateFileW(file.wstring().c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         &inherit, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

#else

std::string errorText(int error)
{
    return std::strerror(error);
}

#endif

} // namespace

std::wstring windowsCommandLine(const std::vector<std::wstring>& args)
{
    // The rules of CommandLineToArgvW and the C runtime: an argument with a
    // space, a tab or a quote (or an empty one) is quoted; backslashes are
    // literal unless they precede a quote, where they are doubled, and the
    // quote itself is escaped.
    std::wstring line;
    for (const std::wstring& arg : args) {
        if (!line.empty())
            line += L' ';
        if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
            line += arg;
            continue;
        }
        line += L'"';
        std::size_t backslashes = 0;
        for (const wchar_t c : arg) {
            if (c == L'\\') {
                ++backslashes;
                continue;
            }
            if (c == L'"')
                line.append(backslashes * 2 + 1, L'\\');
            else
                line.append(backslashes, L'\\');
            backslashes = 0;
            line += c;
        }
        line.append(backslashes * 2, L'\\');
        line += L'"';
    }
    return line;
}

#ifdef _WIN32

Process::Process(const fs::path& program, const std::vector<std::string>& args, const ProcessOptions& options)
    : work_(makeWorkFolder()), outputFile_(work_ / "output"), seconds_(options.seconds)
{
    if (options.fileSizeLimit != 0 || options.addressSpaceLimit != 0) {
        startError_ = "resource limits exist only on POSIX systems";
        return;
    }
    HANDLE input = INVALID_HANDLE_VALUE;
    if (options.input) {
        std::ofstream(work_ / "input", std::ios::binary) << *options.input;
        input = openInherited(work_ / "input", GENERIC_READ, OPEN_EXISTING);
    } else {
        input = openInherited("NUL", GENERIC_READ, OPEN_EXISTING);
    }
    HANDLE output = INVALID_HANDLE_VALUE;
    if (options.closedOutput) {
        SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
        HANDLE reading = nullptr;
        if (::CreatePipe(&reading, &output, &inherit, 0)) {
            ::CloseHandle(reading);
        } else {
            output = INVALID_HANDLE_VALUE;
        }
        std::ofstream(outputFile_, std::ios::binary).flush();
    } else {
        output = openInherited(outputFile_, GENERIC_WRITE, CREATE_ALWAYS);
    }
    if (input == INVALID_HANDLE_VALUE || output == INVALID_HANDLE_VALUE) {
        startError_ = "cannot prepare the standard handles: " + systemMessage(::GetLastError());
    } else {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = input;
        startup.hStdOutput = output;
        startup.hStdError = output;
        std::vector<std::wstring> words{program.wstring()};
        for (const std::string& a : args)
            words.push_back(wide(a));
        std::wstring commandLine = windowsCommandLine(words);
        std::wstring environment = environmentBlock(options.environment);
        PROCESS_INFORMATION info{};
        deadline_ = nowMilliseconds() + std::int64_t{seconds_} * 1000;
        if (::CreateProcessW(program.wstring().c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                             CREATE_NEW_PROCESS_GROUP | CREATE_UNICODE_ENVIRONMENT, environment.data(), nullptr,
                             &startup, &info)) {
            ::CloseHandle(info.hThread);
            process_ = info.hProcess;
            id_ = info.dwProcessId;
            started_ = true;
        } else {
            startError_ = "cannot start " + program.string() + ": " + systemMessage(::GetLastError());
        }
    }
    if (input != INVALID_HANDLE_VALUE)
        ::CloseHandle(input);
    if (output != INVALID_HANDLE_VALUE)
        ::CloseHandle(output);
}

bool Process::running()
{
    return started_ && !finished_ && ::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

bool Process::stop(StopRequest request)
{
    // Only Ctrl-Break reaches a process group of its own; SIGTERM and SIGHUP
    // have no Windows counterpart a test can send.
    if (request != StopRequest::Interrupt || !running())
        return false;
    return ::GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, id_) != 0;
}

void Process::finish(bool kill)
{
    if (finished_ || !started_)
        return;
    const std::int64_t left = kill ? 0 : std::max<std::int64_t>(deadline_ - nowMilliseconds(), 0);
    if (::WaitForSingleObject(process_, static_cast<DWORD>(left)) != WAIT_OBJECT_0) {
        ::TerminateProcess(process_, 1);
        ::WaitForSingleObject(process_, INFINITE);
        result_.timedOut = !kill;
    } else {
        DWORD code = 0;
        ::GetExitCodeProcess(process_, &code);
        result_.exitCode = static_cast<int>(code);
    }
    ::CloseHandle(process_);
    process_ = nullptr;
    finished_ = true;
}

long currentProcessId()
{
    return static_cast<long>(::GetCurrentProcessId());
}

void setEnvironment(const std::string& name, const std::string& value)
{
    ::_putenv_s(name.c_str(), value.c_str());
}

void unsetEnvironment(const std::string& name)
{
    // An empty value removes the variable.
    ::_putenv_s(name.c_str(), "");
}

#else

Process::Process(const fs::path& program, const std::vector<std::string>& args, const ProcessOptions& options)
    : work_(makeWorkFolder()), outputFile_(work_ / "output"), seconds_(options.seconds)
{
    // Everything the child needs is prepared before fork: after it, only
    // async-signal-safe calls until exec.
    const std::string path = program.string();
    std::vector<char*> argv{const_cast<char*>(path.c_str())};
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    std::vector<std::string> variables;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry(*e);
        bool replaced = false;
        for (const auto& [name, value] : options.environment)
            replaced = replaced || entry.rfind(name + "=", 0) == 0;
        if (!replaced)
            variables.push_back(entry);
    }
    for (const auto& [name, value] : options.environment)
        variables.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (std::string& v : variables)
        envp.push_back(v.data());
    envp.push_back(nullptr);

    int input = -1;
    if (options.input) {
        std::ofstream(work_ / "input", std::ios::binary) << *options.input;
        input = ::open((work_ / "input").c_str(), O_RDONLY | O_CLOEXEC);
    } else {
        input = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    }
    int output = -1;
    if (options.closedOutput) {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) == 0) {
            ::close(ends[0]);
            output = ends[1];
        }
        std::ofstream(outputFile_, std::ios::binary).flush();
    } else {
        output = ::open(outputFile_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    }
    if (input < 0 || output < 0) {
        startError_ = "cannot prepare the standard handles: " + errorText(errno);
    } else {
        const rlim_t fileSize = options.fileSizeLimit;
        const rlim_t addressSpace = options.addressSpaceLimit;
        deadline_ = nowMilliseconds() + std::int64_t{seconds_} * 1000;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(input, 0);
            ::dup2(output, 1);
            ::dup2(output, 2);
            if (fileSize != 0) {
                // Writes beyond the limit then fail with EFBIG instead of
                // ending the program with SIGXFSZ.
                ::signal(SIGXFSZ, SIG_IGN);
                const rlimit limit{fileSize, fileSize};
                ::setrlimit(RLIMIT_FSIZE, &limit);
            }
            if (addressSpace != 0) {
                const rlimit limit{addressSpace, addressSpace};
                ::setrlimit(RLIMIT_AS, &limit);
            }
            ::execve(argv[0], argv.data(), envp.data());
            ::_exit(127);
        }
        if (pid_ > 0)
            started_ = true;
        else
            startError_ = "cannot start " + path + ": " + errorText(errno);
    }
    if (input >= 0)
        ::close(input);
    if (output >= 0)
        ::close(output);
}

bool Process::running()
{
    if (!started_ || finished_)
        return false;
    int status = 0;
    const pid_t done = ::waitpid(pid_, &status, WNOHANG);
    if (done == 0)
        return true;
    finished_ = true;
    if (done == pid_) {
        result_.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result_.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    }
    return false;
}

bool Process::stop(StopRequest request)
{
    if (!running())
        return false;
    const int signal = request == StopRequest::Interrupt ? SIGINT : request == StopRequest::Terminate ? SIGTERM : SIGHUP;
    return ::kill(pid_, signal) == 0;
}

void Process::finish(bool kill)
{
    int step = 1;
    while (!kill && running() && nowMilliseconds() < deadline_)
        pause(step);
    if (!running())
        return;
    ::kill(pid_, SIGKILL);
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    result_.timedOut = !kill;
    result_.signal = SIGKILL;
    finished_ = true;
}

long currentProcessId()
{
    return static_cast<long>(::getpid());
}

void setEnvironment(const std::string& name, const std::string& value)
{
    ::setenv(name.c_str(), value.c_str(), 1);
}

void unsetEnvironment(const std::string& name)
{
    ::unsetenv(name.c_str());
}

#endif

Process::~Process()
{
    finish(true);
    std::error_code ignored;
    fs::remove_all(work_, ignored);
}

std::string Process::output() const
{
    return readAll(outputFile_);
}

bool Process::waitForOutput(std::string_view text)
{
    int step = 1;
    while (true) {
        // Whether it still runs is asked before the output is read, so that
        // what it wrote just before its end is still found.
        const bool alive = running();
        if (output().find(text) != std::string::npos)
            return true;
        if (!alive || nowMilliseconds() >= deadline_)
            return false;
        pause(step);
    }
}

ProcessResult Process::wait()
{
    finish(false);
    result_.started = started_;
    result_.output = started_ ? output() : startError_;
    return result_;
}

ProcessResult runProcess(const fs::path& program, const std::vector<std::string>& args, const ProcessOptions& options)
{
    Process process(program, args, options);
    return process.wait();
}

} // namespace vantor::test
