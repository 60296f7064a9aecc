#pragma once
// Small helpers shared by the tests: temporary directories, file reading,
// a stable hash for golden values, and running vantor-cli as a process.

#include "campaign/Campaign.hpp"
#include "campaign/CampaignWriter.hpp"
#include "shell/Font.hpp"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {
class RandomSource;
class CityEditorModel;
class PictureCatalogue;
}

namespace vantor::test {

// The program's data directory as the build draws it.
std::filesystem::path dataDirectory();
// The catalogue loaded once from the built data directory.
const PictureCatalogue& dataCatalogue();
// Gives a city editor the built catalogue and ground textures.
void attachData(CityEditorModel& editor);
// Makes <root>/data point at the built data directory.
void linkData(const std::filesystem::path& root);

// The Moon map's label font, loaded once from the built data.
const Font& mapFont();
// A campaign laid out on the Moon map from `seed` with the built city names
// and a plain 6 x 6 city icon (counts as the layout normalises them).
Campaign laidOutCampaign(std::uint32_t seed, int cities = 30, int districts = 6);
// The same from a random source the caller goes on drawing from.
Campaign laidOutCampaign(RandomSource& random, int cities = 30, int districts = 6);

// A campaign's progress that shows nothing; it asks to stop when asked for
// the n-th time (before city n, counting from 1), never with the default.
class QuietCampaignProgress final : public CampaignProgress {
public:
    explicit QuietCampaignProgress(int cancelBeforeCity = -1) : cancelBefore_(cancelBeforeCity) {}
    void setTask(std::string_view) override {}
    void setTaskProgress(int) override {}
    void pump() override {}
    void setTotalProgress(int) override {}
    bool cancelRequested() override { return ++asked_ == cancelBefore_; }

private:
    int cancelBefore_;
    int asked_ = 0;
};

// A fresh empty directory under the system temp directory, removed on destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

std::string readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, std::string_view text);

// 64-bit FNV-1a: stable across machines, enough to pin golden outputs.
std::uint64_t fnv1a(std::string_view bytes);

struct ProcessResult {
    int exitCode = -1;
    std::string output; // standard output and standard error together
};

// The longest a program started by a test may run: a hung program is
// killed then, so its test fails instead of waiting for ever.
inline constexpr unsigned kProgramSeconds = VANTOR_TEST_TIMEOUT_SECONDS;
// Called in a forked child before it starts the program: the alarm outlives
// exec, and its signal ends the program after kProgramSeconds.
void limitChildTime();

// Runs vantor-cli with the arguments (each passed as one word), for at most
// kProgramSeconds; a non-empty `fileHook` is given to it as
// VANTOR_TEST_FILE_HOOK (see shell/FileLayer.hpp).
// A program killed by a signal gives -1 or 128 + the signal.
ProcessResult runCli(const std::vector<std::string>& args, const std::string& fileHook = {});
// Runs another program (for example a copy of vantor-cli) the same way.
ProcessResult runProgram(const std::filesystem::path& program, const std::vector<std::string>& args,
                         const std::string& fileHook = {});

} // namespace vantor::test
