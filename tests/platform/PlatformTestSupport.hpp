#pragma once
// What the platform tests share: a scratch folder, a directory's files as
// bytes, and a small runner for vantor-cli (CreateProcessW on Windows,
// posix_spawn elsewhere). Self-contained on purpose: these tests run on
// Windows under Wine and must not depend on anything else of the suite.

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace vantor::platformtest {

// A fresh folder under the system's temporary folder, removed at the end.
class Scratch {
public:
    Scratch();
    ~Scratch();
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

std::string readBytes(const std::filesystem::path& file);
void writeBytes(const std::filesystem::path& file, std::string_view bytes);

// Every entry of `dir` (UTF-8 name -> bytes; "<dir>" for a folder, "<link>"
// for a link), the lock file left out.
std::map<std::string, std::string> snapshot(const std::filesystem::path& dir);

// Runs vantor-cli with `args`; VANTOR_TEST_FILE_HOOK is `hook` (unset when
// empty). Returns the exit status; its standard output and error go to `output`.
int runCli(const std::vector<std::string>& args, const std::string& hook, const std::filesystem::path& output);

} // namespace vantor::platformtest
