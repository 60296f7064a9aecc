// vantor-cli: the headless front of Vantor. Parses and checks every option
// first, then makes one call into the core; the result is the exit status.

#include "cli/CommandLine.hpp"
#include "platform/Platform.hpp"
#include "campaign/AtlasChecker.hpp"
#include "campaign/CampaignWriter.hpp"
#include "campaign/MoonMap.hpp"
#include "cityfiles/CitySaver.hpp"
#include "shell/AtlasDirectory.hpp"
#include "shell/BmpFile.hpp"
#include "shell/Config.hpp"
#include "shell/PhaseProfile.hpp"
#include "shell/PictureCatalogue.hpp"
#include "shell/ProgramPaths.hpp"
#include "VantorBuildInfo.hpp"
#include "shell/VantorError.hpp"
#include "wizard/CampaignEditorModel.hpp"
#include "wizard/CityEditorModel.hpp"

#include <cstdio>
#include <filesystem>
#include <algorithm>
#include <iostream>
#include <optional>
#include <string>
#include <system_error>

namespace {

using namespace vantor;

constexpr int kExitIoError = 1;
constexpr int kExitUsage = 2;
constexpr int kExitCampaignExists = 3;

// The stop request received (SIGINT, SIGTERM or SIGHUP; on Windows Ctrl-C,
// Ctrl-Break, closing the console, log-off or shutdown), 0 while none. The
// work stops at its next check: a campaign before the next city or before it
// is moved into place, a single mission before its files are renamed into
// place; the previous files stay, and the exit status is 128 + the signal.
void installStopHandlers()
{
    platform::installStopHandlers();
}

bool stopRequested()
{
    return platform::stopRequest() != 0;
}

// One line on standard error; the exit status for the signal.
int reportStop(std::string_view what)
{
    const int signal = platform::stopRequest();
    std::cerr << "vantor-cli: stopped by " << platform::stopName(signal) << ": " << what << "\n";
    return 128 + signal;
}

// Progress on standard error: a bar redrawn in place when it is a terminal,
// nothing otherwise (scripts read the final lines on standard output).
class TerminalProgress final : public ProgressSink {
public:
    TerminalProgress() : terminal_(platform::isTerminal(stderr)) {}
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

// Campaign progress: one line per city (a bar on a terminal); a stop signal asks to stop.
class CampaignTerminalProgress final : public CampaignProgress {
public:
    explicit CampaignTerminalProgress(int cities) : cities_(cities), terminal_(platform::isTerminal(stderr)) {}
    ~CampaignTerminalProgress() override
    {
        if (terminal_)
            std::fputs("\r\033[K", stderr);
    }
    void setTask(std::string_view text) override
    {
        if (text.find("generating") == std::string_view::npos && text.find("generuji") == std::string_view::npos)
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
    bool cancelRequested() override { return stopRequested(); }

private:
    int cities_;
    int city_ = 0;
    bool terminal_;
};

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

// The program directory, the data and config.ini; an exit status when they fail.
std::optional<int> openProgramDirectory(const std::optional<std::filesystem::path>& option, const char* argv0,
                                        ProgramPaths& paths, Config& config)
{
    try {
        paths = ProgramPaths::resolve(ProgramPaths::processInputs(option, argv0));
    } catch (const ProgramPathsError& e) {
        std::cerr << "vantor-cli: " << e.what() << "\n";
        return e.usage() ? kExitUsage : kExitIoError;
    }
    try {
        config = Config::load(paths.root());
    } catch (const VantorError& e) {
        std::cerr << "vantor-cli: " << e.what() << "\n";
        return kExitIoError;
    }
    return std::nullopt;
}

// Where the files went and which data drew them, after the final line.
void sayWhere(const ProgramPaths& paths)
{
    std::cout << paths.rootDescription() << "\n" << paths.dataDescription() << "\n";
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
    installStopHandlers();
    ProgramPaths paths(std::filesystem::path{});
    Config config;
    if (const auto failed = openProgramDirectory(options.root, argv0, paths, config))
        return *failed;
    const std::filesystem::path& root = paths.root();
    const std::filesystem::path& dataHome = paths.dataHome();
    // The desktop wizard's rules: the district lock, then the corrections.
    CampaignEditorModel counts(config.campaignCompleted);
    counts.setCities(options.cities);
    if (!counts.setDistricts(options.districts)) {
        std::cerr << "vantor-cli: --districts: " << CampaignEditorModel::districtLockMessage(Language::English)
                  << " (set CC=1 in " << platform::utf8(root / "config.ini") << ")\n";
        return kExitUsage;
    }
    if (counts.isCorrected())
        std::cout << counts.correctionText(Language::English) << "\n";
    RandomSource random;
    seedRandom(random, options.seed);

    Campaign campaign;
    campaign.language = config.language();
    campaign.numCities = counts.corrected().cities;
    campaign.numDistricts = counts.corrected().districts;
    try {
        campaign.cityNames = MoonMap::loadCityNames(dataHome / "data" / "citynames.txt");
        campaign.moonBase = BmpFile::read(dataHome / "data" / "moonBase.bmp");
        const PictureCatalogue catalogue = PictureCatalogue::load(dataHome);
        catalogue.requireComplete();
        PhaseProfile::phaseDone("catalogue");
        MoonMap::generateUntilValid(campaign, random, MoonMap::loadLabelFont(dataHome));
        PhaseProfile::phaseDone("moon map");

        CityEditorModel editor(config.language());
        editor.setCatalogue(catalogue);
        editor.loadGroundTextures(dataHome);
        PhaseProfile::phaseDone("textures");
        counts.setMaxHouseDensity(options.maxHouseDensity);
        counts.setLargeCities(options.largeCities);
        counts.setLimitedLights(options.limitedLights);
        CampaignTerminalProgress progress(campaign.numCities + 1);
        // Whether a campaign exists is asked under atlas/'s lock, after an
        // interrupted commit was repaired.
        const bool overwrite = options.overwrite;
        const CampaignOutcome outcome =
            CampaignWriter::write(campaign, counts.settings(), editor, root, random, progress,
                                  [overwrite] { return overwrite; });
        PhaseProfile::phaseDone("cities and commit");
        if (outcome == CampaignOutcome::Declined) {
            std::cerr << "vantor-cli: a campaign already exists in " << platform::utf8(root / "atlas")
                      << "; nothing was changed (use --overwrite to replace it)\n";
            return kExitCampaignExists;
        }
        std::string message(CampaignWriter::messageText(outcome, Language::English));
        std::replace(message.begin(), message.end(), '\r', ' ');
        if (outcome == CampaignOutcome::Cancelled)
            return reportStop(message);
        std::error_code ec;
        std::cout << "Campaign of " << campaign.numCities << " cities and the rebel headquarters saved in "
                  << platform::utf8(std::filesystem::absolute(root / "atlas", ec)) << "\n";
        sayWhere(paths);
    } catch (const VantorError& e) {
        std::cerr << "vantor-cli: " << e.text(config.language()) << "\n";
        return kExitIoError;
    }
    return 0;
}

int runCity(const cli::CityOptions& options, const char* argv0)
{
    installStopHandlers();
    ProgramPaths paths(std::filesystem::path{});
    Config config;
    if (const auto failed = openProgramDirectory(options.root, argv0, paths, config))
        return *failed;
    const std::filesystem::path& root = paths.root();

    CityEditorModel editor(config.language());
    applyCityOptions(editor, options);
    if (options.landmarkKind && !editor.chooseLandmark(*options.landmarkKind, config.campaignCompleted)) {
        std::cerr << "vantor-cli: --landmark: " << CityEditorModel::lockMessage(Language::English)
                  << " (set CC=1 in " << platform::utf8(root / "config.ini") << ")\n";
        return kExitUsage;
    }

    RandomSource random;
    seedRandom(random, options.seed);

    try {
        const PictureCatalogue catalogue = PictureCatalogue::load(paths.dataHome());
        catalogue.requireComplete();
        editor.setCatalogue(catalogue);
        PhaseProfile::phaseDone("catalogue");
        // Only the part of the textures this city's ground covers.
        editor.loadGroundTextures(paths.dataHome(), editor.groundSideFor());
        PhaseProfile::phaseDone("textures");
        TerminalProgress progress;
        editor.generateOnce(random, progress);
        const std::string unchanged = "nothing in " + platform::utf8(root / "atlas") + " was changed";
        if (stopRequested())
            return reportStop(unchanged);
        std::filesystem::path written;
        try {
            written = CitySaver::save(editor.city(), root, progress, stopRequested);
        } catch (const SaveCancelled&) {
            return reportStop(unchanged);
        }
        std::error_code ec;
        const std::filesystem::path atlas = std::filesystem::absolute(written, ec).parent_path();
        std::cout << "Single mission saved in " << platform::utf8(atlas) << ": " << editor.params().cityName << ".ini, "
                  << editor.params().cityName << "PLAN.bmp, " << editor.params().cityName << "GROUND.bmp, "
                  << editor.params().cityName << "HIGHT.bmp\n";
        sayWhere(paths);
    } catch (const VantorError& e) {
        std::cerr << "vantor-cli: " << e.text(config.language()) << "\n";
        return kExitIoError;
    }
    return 0;
}

// The program directory of `check` and `repair`, the same as the generating
// commands': --root, VANTOR_ROOT, the program's folder or the user's folder.
// An exit status when it cannot be found.
std::optional<int> findRoot(const cli::CheckOptions& options, const char* argv0, std::filesystem::path& root)
{
    try {
        root = ProgramPaths::resolve(ProgramPaths::processInputs(options.root, argv0)).root();
    } catch (const ProgramPathsError& e) {
        std::cerr << "vantor-cli: " << e.what() << "\n";
        return e.usage() ? kExitUsage : kExitIoError;
    }
    return std::nullopt;
}

// `vantor-cli check`: the problems found, one a line, then the summary; exit
// status 0 when atlas/ is sound, 1 when not, 2 for a root that is no directory.
int runCheck(const cli::CheckOptions& options, const char* argv0)
{
    std::filesystem::path root;
    if (const auto failed = findRoot(options, argv0, root))
        return *failed;
    const AtlasReport report = AtlasChecker::check(root);
    for (const std::string& finding : report.findings)
        std::cout << finding << "\n";
    std::cout << report.summary() << "\n";
    return report.sound() ? 0 : kExitIoError;
}

// `vantor-cli repair`: what every save does first, alone: the lock taken,
// an interrupted commit rolled back, leftovers removed.
int runRepair(const cli::CheckOptions& options, const char* argv0)
{
    std::filesystem::path root;
    if (const auto failed = findRoot(options, argv0, root))
        return *failed;
    try {
        AtlasDirectory atlas(root / "atlas", false);
        if (atlas.beginWriting())
            std::cout << "An interrupted save was rolled back: the previous files are in place in "
                      << platform::utf8(atlas.path()) << "\n";
        else
            std::cout << "Nothing to repair in " << platform::utf8(atlas.path()) << "\n";
    } catch (const VantorError& e) {
        std::cerr << "vantor-cli: " << e.what() << "\n";
        return kExitIoError;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    vantor::PhaseProfile::phaseDone("start-up");
    // Writes to a closed pipe fail instead of killing the program mid-save,
    // the allocator keeps the pictures' memory, UTF-8 reaches the console.
    platform::prepareCommandLineProcess();

    // UTF-8, on Windows from the wide command line (argv is in the ANSI code page there).
    std::vector<std::string> args = platform::commandLineArguments(argc, argv);
    if (!args.empty())
        args.erase(args.begin());
    if (args.size() == 1 && args[0] == "--version") {
        std::cout << "vantor-cli " VANTOR_VERSION "\n";
        return 0;
    }
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
    case cli::Command::CheckHelp:
        std::cout << cli::kCheckHelpText;
        return 0;
    case cli::Command::Check:
        return runCheck(parsed.check, argv[0]);
    case cli::Command::RepairHelp:
        std::cout << cli::kRepairHelpText;
        return 0;
    case cli::Command::Repair:
        return runRepair(parsed.check, argv[0]);
    }
    return 0;
}
