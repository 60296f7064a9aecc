#pragma once
// Small helpers shared by the tests: temporary directories, file reading,
// a stable hash for golden values, links where the system has them, and
// running vantor-cli as a process.

#include "campaign/Campaign.hpp"
#include "campaign/CampaignWriter.hpp"
#include "shell/Font.hpp"

#include "ProcessRunner.hpp"

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
// Makes <root>/data point at the built data directory (a link on POSIX
// systems; on Windows a folder of hard links, or copies, of its files).
void linkData(const std::filesystem::path& root);
// Gives <root>/data every built data file except `left` (none when empty),
// each as a link (POSIX) or a hard link or copy (Windows), so that the test
// can write or leave out that one.
void linkDataWithout(const std::filesystem::path& root, const std::string& left = {});

// Symbolic links: POSIX systems always have them; Windows lets a program
// create them only with a privilege (or in developer mode), and tests that
// plant links skip there with kNoSymlinks when it is refused.
inline constexpr const char* kNoSymlinks = "symbolic links need a privilege on Windows, which this process lacks";
bool symlinksAvailable();
// Creates a link at `link` pointing at `target` (a folder link when
// `folder`); throws std::filesystem::filesystem_error when refused.
void createSymlink(const std::filesystem::path& target, const std::filesystem::path& link, bool folder = false);
// Whether `path` itself is a symbolic link (not followed).
bool isSymlink(const std::filesystem::path& path);
// Whether the file system of `folder` tells names apart by letter case alone
// (ext4 does; NTFS, FAT and most game folders on Windows do not).
bool namesDifferByCase(const std::filesystem::path& folder);
// Decimal-comma locales in this system's spelling, the preferred first:
// Czech, then German and French.
std::vector<const char*> decimalCommaLocales();

// The named FIFO tests: POSIX only.
#ifdef _WIN32
inline constexpr bool kHasFifos = false;
#else
inline constexpr bool kHasFifos = true;
#endif
inline constexpr const char* kNoFifos = "named FIFOs in the file system exist only on POSIX systems";
// Makes a FIFO at `path` (POSIX); false when it could not or on Windows.
bool makeFifo(const std::filesystem::path& path);

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

// The options that give vantor-cli a non-empty `fileHook` as
// VANTOR_TEST_FILE_HOOK (see shell/FileLayer.hpp).
ProcessOptions withFileHook(const std::string& fileHook);

// Runs vantor-cli with the arguments (each passed as one word), for at most
// kProgramSeconds (a hung program is killed then, so its test fails instead
// of waiting for ever); a non-empty `fileHook` is given to it as
// VANTOR_TEST_FILE_HOOK. A program that did not exit by itself gives -1.
ProcessResult runCli(const std::vector<std::string>& args, const std::string& fileHook = {});
// Runs another program (for example a copy of vantor-cli) the same way.
ProcessResult runProgram(const std::filesystem::path& program, const std::vector<std::string>& args,
                         const std::string& fileHook = {});

} // namespace vantor::test
