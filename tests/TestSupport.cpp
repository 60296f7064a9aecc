#include "TestSupport.hpp"

#include "campaign/MoonMap.hpp"
#include "city/RandomSource.hpp"
#include "shell/BmpFile.hpp"
#include "shell/PictureCatalogue.hpp"
#include "wizard/CityEditorModel.hpp"

#include <array>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sys/wait.h>
#include <unistd.h>

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
    std::filesystem::create_directory_symlink(dataDirectory(), root / "data");
}

TempDir::TempDir()
{
    static std::atomic<int> counter{0};
    path_ = std::filesystem::temp_directory_path() /
            ("vantor-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
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

namespace {

std::string shellQuote(std::string_view word)
{
    std::string out = "'";
    for (const char c : word)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

} // namespace

ProcessResult runCli(const std::vector<std::string>& args, const std::string& fileHook)
{
    return runProgram(VANTOR_CLI_PATH, args, fileHook);
}

void limitChildTime()
{
    ::alarm(kProgramSeconds);
}

ProcessResult runProgram(const std::filesystem::path& program, const std::vector<std::string>& args,
                         const std::string& fileHook)
{
    std::string command = fileHook.empty() ? std::string() : "VANTOR_TEST_FILE_HOOK=" + shellQuote(fileHook) + " ";
    command += "timeout --signal=KILL " + std::to_string(kProgramSeconds) + " " + shellQuote(program.string());
    for (const std::string& a : args)
        command += " " + shellQuote(a);
    command += " 2>&1 </dev/null";
    ProcessResult result;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return result;
    std::array<char, 4096> buffer{};
    std::size_t n = 0;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        result.output.append(buffer.data(), n);
    const int status = ::pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
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
