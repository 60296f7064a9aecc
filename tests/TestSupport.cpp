#include "TestSupport.hpp"

#include "campaign/MoonMap.hpp"
#include "city/RandomSource.hpp"
#include "shell/BmpFile.hpp"
#include "shell/PictureCatalogue.hpp"
#include "wizard/CityEditorModel.hpp"

#include <atomic>
#include <fstream>
#include <iterator>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace vantor::test {

std::filesystem::path dataDirectory()
{
    return std::filesystem::path(VANTOR_BIN_DIR) / "data";
}

const PictureCatalogue& dataCatalogue()
{
    static const PictureCatalogue catalogue = PictureCatalogue::load(VANTOR_BIN_DIR);
    return catalogue;
}

void attachData(CityEditorModel& editor)
{
    static const Image dirt1 = BmpFile::read(dataDirectory() / "dirt1.bmp");
    static const Image dirt2 = BmpFile::read(dataDirectory() / "dirt2.bmp");
    editor.setCatalogue(dataCatalogue());
    editor.city().dirt1 = dirt1;
    editor.city().dirt2 = dirt2;
}

void linkData(const std::filesystem::path& root)
{
#ifdef _WIN32
    linkDataWithout(root);
#else
    std::filesystem::create_directory_symlink(dataDirectory(), root / "data");
#endif
}

void linkDataWithout(const std::filesystem::path& root, const std::string& left)
{
    namespace fs = std::filesystem;
    fs::create_directories(root / "data");
    for (const fs::directory_entry& entry : fs::directory_iterator(dataDirectory())) {
        if (entry.path().filename() == left)
            continue;
        const fs::path to = root / "data" / entry.path().filename();
#ifdef _WIN32
        std::error_code linkError;
        fs::create_hard_link(entry.path(), to, linkError);
        if (linkError)
            fs::copy(entry.path(), to, fs::copy_options::recursive);
#else
        fs::create_symlink(entry.path(), to);
#endif
    }
}

bool symlinksAvailable()
{
#ifdef _WIN32
    static const bool available = [] {
        TempDir dir;
        try {
            createSymlink(dir.path() / "target", dir.path() / "link");
            return isSymlink(dir.path() / "link");
        } catch (const std::filesystem::filesystem_error&) {
            return false;
        }
    }();
    return available;
#else
    return true;
#endif
}

void createSymlink(const std::filesystem::path& target, const std::filesystem::path& link, bool folder)
{
#ifdef _WIN32
    // The C++ library of mingw-w64 creates no links: ask Windows directly,
    // without a privilege where developer mode allows it.
    constexpr DWORD kUnprivileged = 0x2; // SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE
    const DWORD flags = (folder ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0) | kUnprivileged;
    if (!::CreateSymbolicLinkW(link.wstring().c_str(), target.wstring().c_str(), flags))
        throw std::filesystem::filesystem_error(
            "cannot create a symbolic link", target, link,
            std::error_code(static_cast<int>(::GetLastError()), std::system_category()));
#else
    if (folder)
        std::filesystem::create_directory_symlink(target, link);
    else
        std::filesystem::create_symlink(target, link);
#endif
}

bool isSymlink(const std::filesystem::path& path)
{
#ifdef _WIN32
    WIN32_FIND_DATAW data{};
    const HANDLE found = ::FindFirstFileW(path.wstring().c_str(), &data);
    if (found == INVALID_HANDLE_VALUE)
        return false;
    ::FindClose(found);
    return (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && data.dwReserved0 == IO_REPARSE_TAG_SYMLINK;
#else
    return std::filesystem::is_symlink(path);
#endif
}

bool namesDifferByCase(const std::filesystem::path& folder)
{
    const std::filesystem::path probe = folder / ".Case-Probe";
    writeFile(probe, "");
    std::error_code error;
    const bool differ = !std::filesystem::exists(folder / ".case-probe", error);
    std::filesystem::remove(probe, error);
    return differ;
}

std::vector<const char*> decimalCommaLocales()
{
#ifdef _WIN32
    return {"cs-CZ", "Czech_Czechia.1250", "Czech_Czech Republic.1250", "de-DE", "German_Germany.1252", "fr-FR"};
#else
    return {"cs_CZ.UTF-8", "cs_CZ.utf8", "de_DE.UTF-8", "fr_FR.UTF-8"};
#endif
}

bool makeFifo(const std::filesystem::path& path)
{
#ifdef _WIN32
    (void)path;
    return false;
#else
    return ::mkfifo(path.c_str(), 0600) == 0;
#endif
}

TempDir::TempDir()
{
    static std::atomic<int> counter{0};
    path_ = std::filesystem::temp_directory_path() /
            ("vantor-test-" + std::to_string(currentProcessId()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
}

TempDir::~TempDir()
{
    // The names are gathered first and removed deepest first: under Wine,
    // std::filesystem::remove_all never returns when one entry cannot be
    // removed (a file the test process still holds open). What cannot be
    // removed stays in the system's temporary folder.
    std::error_code ignored;
    std::vector<std::filesystem::path> names;
    for (std::filesystem::recursive_directory_iterator it(path_, ignored), end; !ignored && it != end;
         it.increment(ignored))
        names.push_back(it->path());
    for (auto name = names.rbegin(); name != names.rend(); ++name)
        std::filesystem::remove(*name, ignored);
    std::filesystem::remove(path_, ignored);
}

std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const std::filesystem::path& path, std::string_view text)
{
    std::ofstream out(path, std::ios::binary);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

std::uint64_t fnv1a(std::string_view bytes)
{
    std::uint64_t h = 0xcbf29ce484222325ULL;
    for (const char c : bytes) {
        h ^= static_cast<unsigned char>(c);
        h *= 0x100000001b3ULL;
    }
    return h;
}

ProcessOptions withFileHook(const std::string& fileHook)
{
    ProcessOptions options;
    if (!fileHook.empty())
        options.environment.emplace_back("VANTOR_TEST_FILE_HOOK", fileHook);
    return options;
}

ProcessResult runCli(const std::vector<std::string>& args, const std::string& fileHook)
{
    return runProgram(VANTOR_CLI_PATH, args, fileHook);
}

ProcessResult runProgram(const std::filesystem::path& program, const std::vector<std::string>& args,
                         const std::string& fileHook)
{
    return runProcess(program, args, withFileHook(fileHook));
}

const Font& mapFont()
{
    static const Font font = MoonMap::loadLabelFont(VANTOR_BIN_DIR);
    return font;
}

Campaign laidOutCampaign(std::uint32_t seed, int cities, int districts)
{
    RandomSource random(seed);
    return laidOutCampaign(random, cities, districts);
}

Campaign laidOutCampaign(RandomSource& random, int cities, int districts)
{
    static const std::vector<std::string> names = MoonMap::loadCityNames(dataDirectory() / "citynames.txt");
    Campaign campaign;
    campaign.cityNames = names;
    campaign.moonBase = Image(6, 6, {40, 40, 40});
    campaign.numCities = cities;
    campaign.numDistricts = districts;
    MoonMap::generateUntilValid(campaign, random, mapFont());
    return campaign;
}

} // namespace vantor::test
