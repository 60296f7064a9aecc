#include "platform/PlatformTestSupport.hpp"

#include "platform/FileLayer.hpp"
#include "platform/Platform.hpp"
#include "shell/AtlasDirectory.hpp"

#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace vantor::platformtest {

namespace fs = std::filesystem;

Scratch::Scratch()
{
    unsigned char bytes[8] = {};
    if (fileio::randomBytes(bytes, sizeof bytes) != 0)
        throw std::runtime_error("no random source");
    std::string name = "vantor-platform-test-";
    for (const unsigned char b : bytes)
        name += "0123456789abcdef"[b % 16];
    path_ = fs::temp_directory_path() / name;
    fs::create_directories(path_);
}

Scratch::~Scratch()
{
    std::error_code ec;
    fs::remove_all(path_, ec);
}

std::string readBytes(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + platform::utf8(file));
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeBytes(const fs::path& file, std::string_view bytes)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + platform::utf8(file));
}

std::map<std::string, std::string> snapshot(const fs::path& dir)
{
    std::map<std::string, std::string> files;
    for (const fs::directory_entry& e : fs::directory_iterator(dir)) {
        const std::string name = platform::utf8(e.path().filename());
        if (name == ".lock")
            continue;
        if (e.is_symlink())
            files[name] = "<link>";
        else if (e.is_directory())
            files[name] = "<dir>";
        else
            files[name] = readBytes(e.path());
    }
    return files;
}

#ifdef _WIN32

namespace {

std::wstring wide(std::string_view text)
{
    const fs::path p = platform::pathFromUtf8(text);
    return p.native();
}

// The argument quoted as CommandLineToArgvW reads it back.
std::wstring quoted(const std::wstring& arg)
{
    std::wstring out = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, L'\\');
    return out + L"\"";
}

} // namespace

int runCli(const std::vector<std::string>& args, const std::string& hook, const fs::path& output)
{
    std::wstring command = quoted(fs::path(VANTOR_CLI_PATH).make_preferred().native());
    for (const std::string& a : args)
        command += L" " + quoted(wide(a));
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE out = ::CreateFileW(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                               CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE)
        throw std::runtime_error("cannot create " + platform::utf8(output));
    // The child inherits the hook through the environment.
    ::SetEnvironmentVariableW(L"VANTOR_TEST_FILE_HOOK", hook.empty() ? nullptr : wide(hook).c_str());
    STARTUPINFOW start{};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    start.hStdOutput = out;
    start.hStdError = out;
    PROCESS_INFORMATION process{};
    const BOOL started = ::CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                         &start, &process);
    ::SetEnvironmentVariableW(L"VANTOR_TEST_FILE_HOOK", nullptr);
    ::CloseHandle(out);
    if (!started)
        throw std::runtime_error("cannot start vantor-cli: error " + std::to_string(::GetLastError()));
    ::WaitForSingleObject(process.hProcess, 120000);
    DWORD status = 255;
    ::GetExitCodeProcess(process.hProcess, &status);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return static_cast<int>(status);
}

#else

int runCli(const std::vector<std::string>& args, const std::string& hook, const fs::path& output)
{
    std::vector<std::string> strings{VANTOR_CLI_PATH};
    strings.insert(strings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& s : strings)
        argv.push_back(s.data());
    argv.push_back(nullptr);
    std::vector<std::string> envStrings;
    for (char** e = environ; *e != nullptr; ++e)
        if (std::string_view(*e).rfind("VANTOR_TEST_FILE_HOOK=", 0) != 0)
            envStrings.emplace_back(*e);
    if (!hook.empty())
        envStrings.push_back("VANTOR_TEST_FILE_HOOK=" + hook);
    std::vector<char*> envp;
    for (std::string& s : envStrings)
        envp.push_back(s.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = 0;
    const int error = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0)
        throw std::runtime_error("cannot start vantor-cli");
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
    }
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return WEXITSTATUS(status);
}

#endif

} // namespace vantor::platformtest
