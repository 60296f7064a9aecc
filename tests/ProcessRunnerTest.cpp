// The tests' process runner: Windows command lines quoted so that each
// argument comes back whole, arguments that a shell would split or expand
// reaching the program unchanged, the environment additions, and the bounded
// wait that kills a program still running when its time is up.

#include "TestSupport.hpp"

#include <gtest/gtest.h>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <shellapi.h>
#endif

namespace vantor {
namespace {

namespace fs = std::filesystem;

// The quoting rules of CommandLineToArgvW and the C runtime, case by case:
// backslashes count only before a quote.
TEST(ProcessRunner, WindowsCommandLinesKeepEveryArgumentWhole)
{
    const struct {
        std::vector<std::wstring> args;
        std::wstring line;
    } cases[] = {
        {{L"prog.exe", L"plain"}, L"prog.exe plain"},
        {{L"C:\\Program Files\\v.exe", L""}, L"\"C:\\Program Files\\v.exe\" \"\""},
        {{L"p", L"two words", L"tab\there"}, L"p \"two words\" \"tab\there\""},
        {{L"p", L"say \"hi\""}, L"p \"say \\\"hi\\\"\""},
        {{L"p", L"a\\b\\c"}, L"p a\\b\\c"},
        {{L"p", L"dir with space\\"}, L"p \"dir with space\\\\\""},
        {{L"p", L"back\\\"quote"}, L"p \"back\\\\\\\"quote\""},
        {{L"p", L"\\\\server\\share x"}, L"p \"\\\\server\\share x\""},
        {{L"p", L"\""}, L"p \"\\\"\""},
        {{L"p", L"n\u011bco \u010desk\u00e9ho"}, L"p \"n\u011bco \u010desk\u00e9ho\""},
    };
    for (const auto& c : cases) {
        const std::wstring line = test::windowsCommandLine(c.args);
        EXPECT_TRUE(line == c.line) << c.args.back().size() << " characters in the last argument";
#ifdef _WIN32
        // And the system's own parser gives the arguments back.
        int count = 0;
        wchar_t** parsed = ::CommandLineToArgvW(line.c_str(), &count);
        ASSERT_NE(parsed, nullptr);
        ASSERT_EQ(static_cast<std::size_t>(count), c.args.size());
        for (int k = 1; k < count; ++k)
            EXPECT_TRUE(c.args[static_cast<std::size_t>(k)] == parsed[k]) << "argument " << k;
        ::LocalFree(parsed);
#endif
    }
}

// A root folder whose name a shell would split, quote or expand: vantor-cli
// writes into exactly that folder, so the argument arrived as one word.
TEST(ProcessRunner, ArgumentsReachTheProgramUnchanged)
{
    test::TempDir top;
    const fs::path root = top.path() / "a b 'c' $HOME %PATH% ;&";
    fs::create_directories(root);
    test::linkData(root);
    const test::ProcessResult r = test::runCli({"city", "--root", root.string(), "--seed", "2", "--size", "very-small"});
    ASSERT_TRUE(r.started) << r.output;
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_TRUE(fs::is_regular_file(root / "atlas" / "SingleCity.ini")) << r.output;
    // A program that cannot be started is said so, not taken for a result.
    const test::ProcessResult missing = test::runProcess(top.path() / "no-such-program", {});
    EXPECT_TRUE(!missing.started || missing.exitCode == 127) << missing.output;
    EXPECT_NE(missing.exitCode, 0);
}

// The file hook (an environment addition) holds vantor-cli before the lock
// until a file that never appears exists: the runner kills it when its time
// is up and says so; without the variable the same run goes through.
TEST(ProcessRunner, EnvironmentReachesTheProgramAndAHungProgramIsKilled)
{
    test::TempDir root;
    test::linkData(root.path());
    const std::vector<std::string> args{"city", "--root", root.path().string(), "--seed", "2", "--size", "very-small"};
    test::ProcessOptions options = test::withFileHook("wait-before-lock=" + (root.path() / "never").string());
    options.seconds = 2;
    test::Process held(VANTOR_CLI_PATH, args, options);
    EXPECT_TRUE(held.waitForOutput("vantor test hook: waiting before the lock")) << held.output();
    const test::ProcessResult r = held.wait();
    EXPECT_TRUE(r.timedOut) << r.output;
    EXPECT_NE(r.exitCode, 0);
    EXPECT_FALSE(fs::exists(root.path() / "atlas" / "SingleCity.ini"));

    const test::ProcessResult free = test::runCli(args);
    EXPECT_FALSE(free.timedOut);
    EXPECT_EQ(free.exitCode, 0) << free.output;
}

} // namespace
} // namespace vantor
