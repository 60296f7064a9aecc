// vantor-cli: the headless front of Vantor. Parses and checks every option
// first, then makes one call into the core; the result is the exit status.

#include "cli/CommandLine.hpp"
#include "campaign/CampaignWriter.hpp"
#include "campaign/MoonMap.hpp"
#include "shell/BmpFile.hpp"
#include "shell/Config.hpp"
#include "shell/PictureCatalogue.hpp"
#include "shell/VantorError.hpp"
#include "wizard/CityEditorModel.hpp"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <algorithm>
#include <iostream>
#include <optional>
#include <string>
#include <system_error>
#include <malloc.h>
#include <unistd.h>

namespace {

using namespace vantor;

constexpr int kExitIoError = 1;
constexpr int kExitUsage = 2;
constexpr int kExitCampaignExists = 3;
constexpr int kExitCancelled = 130;

std::atomic<bool> interrupted{false};

extern "C" void onInterrupt(int)
{
    interrupted = true;
}

// Progress on standard error: a bar redrawn in place when it is a terminal,
// nothing otherwise (scripts read the final lines on standard output).
class TerminalProgress final : public ProgressSink {
public:
    TerminalProgress() : terminal_(isatty(fileno(stderr)) != 0) {}
    ~TerminalProgress() override
    {
        if (terminal_ && drawn_)
            std::fputs("\r\033[K", stderr);
    }
    void setTask(std::string_view text) override
    {
        task_ = std::string(text);
        draw();
    }
    void setTaskProgress(int percent) override
    {
        if (percent == percent_)
            return;
        percent_ = percent;
        draw();
    }
    void pump() override {}

private:
    void draw()
    {
        if (!terminal_)
            return;
        const int filled = percent_ * 30 / 100;
        std::fprintf(stderr, "\r\033[K%s [%s%s] %3d%%", task_.c_str(), std::string(static_cast<std::size_t>(filled), '#').c_str(),
                     std::string(static_cast<std::size_t>(30 - filled), ' ').c_str(), percent_);
        std::fflush(stderr);
        drawn_ = true;
    }

    bool terminal_;
    bool drawn_ = false;
    std::string task_;
    int percent_ = -1;
};

// Campaign progress: one line per city (a bar on a terminal); Ctrl-C asks to stop.
class CampaignTerminalProgress final : public CampaignProgress {
public:
    explicit CampaignTerminalProgress(int cities) : cities_(cities), terminal_(isatty(fileno(stderr)) != 0) {}
    ~CampaignTerminalProgress() override
    {
        if (terminal_)
            std::fputs("\r\033[K", stderr);
    }
    void setTask(std::string_view text) override
    {
        if (text.find("generatig") == std::string_view::npos && text.find("generuji") == std::string_view::npos)
            return; // one line per city: the generation task names it
        ++city_;
        if (terminal_) {
            const int filled = city_ * 30 / cities_;
            std::fprintf(stderr, "\r\033[K[%s%s] %d/%d %.*s", std::string(static_cast<std::size_t>(filled), '#').c_str(),
                         std::string(static_cast<std::size_t>(30 - filled), ' ').c_str(), city_, cities_,
                         static_cast<int>(text.size()), text.data());
        } else {
            std::fprintf(stderr, "City %d/%d: %.*s\n", city_, cities_, static_cast<int>(text.size()), text.data());
        }
        std::fflush(stderr);
    }
    void setTaskProgress(int) override {}
    void pump() override {}
    void setTotalProgress(int) override {}
    bool cancelRequested() override { return interrupted; }

private:
    int cities_;
    int city_ = 0;
    bool terminal_;
};

std::filesystem::path executableDirectory(const char* argv0)
{
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec)
        return self.parent_path();
    return std::filesystem::absolute(argv0, ec).parent_path();
}

template <typename T>
void assignIfGiven(T& field, const std::optional<T>& value)
{
    if (value)
        field = *value;
}

void applyCityOptions(CityEditorModel& editor, const cli::CityOptions& o)
{
    GenerationParams& p = editor.params();
    if (o.sizeChoice)
        editor.setSizeChoice(*o.sizeChoice);
    if (o.lampChoice)
        editor.setLampChoice(*o.lampChoice);
    for (const auto& [field, value] : {std::pair{&p.walls, &o.walls}, {&p.wallN, &o.wallN}, {&p.wallE, &o.wallE},
                                       {&p.wallS, &o.wallS}, {&p.wallW, &o.wallW}, {&p.highway, &o.highway},
                                       {&p.downtown, &o.downtown}, {&p.industrial, &o.industrial}})
        assignIfGiven(*field, *value);
    if (o.landmark)
        editor.setLandmarkEnabled(*o.landmark);
    if (o.roadDensity)
        editor.setRoadDensityPosition(*o.roadDensity);
    if (o.houseDensity)
        editor.setHouseDensityPosition(*o.houseDensity);
    if (o.hillness)
        editor.setHillnessPosition(*o.hillness);
    if (o.rebels)
        editor.setRebelsPosition(*o.rebels);
}

// The program directory and its config.ini; an exit status when they fail.
std::optional<int> openProgramDirectory(const std::optional<std::filesystem::path>& option, const char* argv0,
                                        std::filesystem::path& root, Config& config)
{
    root = option ? *option : executableDirectory(argv0);
    std::error_code ec;
    if (!std::filesystem::is_directory(root, ec)) {
        std::cerr << "vantor-cli: --root: " << root.string() << " is not a directory\n";
        return kExitUsage;
    }
    try {
        config = Config::load(root);
    } catch (const VantorError& e) {
        std::cerr << "vantor-cli: " << e.what() << "\n";
        return kExitIoError;
    }
    return std::nullopt;
}

void seedRandom(RandomSource& random, const std::optional<std::uint32_t>& seed)
{
    if (seed) {
        random.setSeed(*seed);
    } else {
        random.setSeed(RandomSource::timeOfDaySeed());
        std::cout << "Seed: " << random.seed() << "\n";
    }
}

int runCampaign(const cli::CampaignOptions& options, const char* argv0)
{
    std::filesystem::path root;
    Config config;
    if (const auto failed = openProgramDirectory(options.root, argv0, root, config))
        return *failed;
    if (options.districts != 6 && !config.campaignCompleted) {
        std::cerr << "vantor-cli: --districts: You are not allowed to change number of districts until you "
                     "succesfully complete campaign! (set CC=1 in "
                  << (root / "config.ini").string() << ")\n";
        return kExitUsage;
    }
    if (CampaignWriter::campaignExists(root) && !options.overwrite) {
        std::cerr << "vantor-cli: a campaign already exists in " << (root / "atlas").string()
                  << "; nothing was changed (use --overwrite to replace it)\n";
        return kExitCampaignExists;
    }
    RandomSource random;
    seedRandom(random, options.seed);

    Campaign campaign;
    campaign.language = config.language();
    campaign.numCities = options.cities;
    campaign.numDistricts = options.districts;
    const MoonMap::Counts counts = MoonMap::normalise(options.cities, options.districts);
    if (counts.cities != options.cities || counts.districts != options.districts)
        std::cout << "Counts corrected to " << counts.cities << " cities in " << counts.districts << " districts\n";
    try {
        campaign.cityNames = MoonMap::loadCityNames(root / "data" / "citynames.txt");
        campaign.moonBase = BmpFile::read(root / "data" / "moonBase.bmp");
        const PictureCatalogue catalogue = PictureCatalogue::load(root);
        catalogue.requireComplete();
        MoonMap::generateUntilValid(campaign, random, MoonMap::loadLabelFont(root));

        CityEditorModel editor(config.language());
        editor.setCatalogue(catalogue);
        editor.loadGroundTextures(root);
        const CampaignSettings settings{options.maxHouseDensity, options.largeCities, options.limitedLights};
        std::signal(SIGINT, onInterrupt);
        CampaignTerminalProgress progress(campaign.numCities + 1);
        const CampaignOutcome outcome =
            CampaignWriter::write(campaign, settings, editor, root, random, progress, [] { return true; });
        std::signal(SIGINT, SIG_DFL);
        std::string message(CampaignWriter::messageText(outcome, Language::English));
        std::replace(message.begin(), message.end(), '\r', ' ');
        if (outcome == CampaignOutcome::Cancelled) {
            std::cerr << "vantor-cli: " << message << "\n";
            return kExitCancelled;
        }
        std::error_code ec;
        std::cout << "Campaign of " << campaign.numCities << " cities and the rebel headquarters saved in "
                  << std::filesystem::absolute(root / "atlas", ec).string() << "\n";
    } catch (const VantorError& e) {
        std::cerr << "vantor-cli: " << e.what() << "\n";
        return kExitIoError;
    }
    return 0;
}

int runCity(const cli::CityOptions& options, const char* argv0)
{
    std::filesystem::path root;
    Config config;
    if (const auto failed = openProgramDirectory(options.root, argv0, root, config))
        return *failed;

    CityEditorModel editor(config.language());
    applyCityOptions(editor, options);
    if (options.landmarkKind && !editor.chooseLandmark(*options.landmarkKind, config.campaignCompleted)) {
        std::cerr << "vantor-cli: --landmark: " << CityEditorModel::lockMessage(Language::English)
                  << " (set CC=1 in " << (root / "config.ini").string() << ")\n";
        return kExitUsage;
    }

    RandomSource random;
    seedRandom(random, options.seed);

    try {
        const PictureCatalogue catalogue = PictureCatalogue::load(root);
        catalogue.requireComplete();
        editor.setCatalogue(catalogue);
        // Only the part of the textures this city's ground covers.
        editor.loadGroundTextures(root, editor.groundSideFor());
        TerminalProgress progress;
        editor.generate(random, progress);
        const std::filesystem::path written = editor.save(root, progress);
        std::error_code ec;
        const std::filesystem::path atlas = std::filesystem::absolute(written, ec).parent_path();
        std::cout << "Single mission saved in " << atlas.string() << ": " << editor.params().cityName << ".ini, "
                  << editor.params().cityName << "PLAN.bmp, " << editor.params().cityName << "GROUND.bmp, "
                  << editor.params().cityName << "HIGHT.bmp\n";
    } catch (const VantorError& e) {
        std::cerr << "vantor-cli: " << e.what() << "\n";
        return kExitIoError;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    // A campaign allocates pictures of a few megabytes city after city.
    // Keeping freed memory in the process (no mmap for them, no trimming)
    // spares the kernel faulting in and zeroing fresh pages every time.
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 1024 * 1024 * 1024);

    const std::vector<std::string> args(argv + 1, argv + argc);
    cli::ParsedCommandLine parsed;
    try {
        parsed = cli::parseCommandLine(args);
    } catch (const cli::UsageError& e) {
        std::cerr << "vantor-cli: " << e.what() << "\n";
        return kExitUsage;
    }
    switch (parsed.command) {
    case cli::Command::Help:
        std::cout << cli::kHelpText;
        return 0;
    case cli::Command::CityHelp:
        std::cout << cli::kCityHelpText;
        return 0;
    case cli::Command::City:
        return runCity(parsed.city, argv[0]);
    case cli::Command::CampaignHelp:
        std::cout << cli::kCampaignHelpText;
        return 0;
    case cli::Command::Campaign:
        return runCampaign(parsed.campaign, argv[0]);
    }
    return 0;
}
