// vantor-cli: the headless front of Vantor. Parses and checks every option
// first, then makes one call into the core; the result is the exit status.

#include "cli/CommandLine.hpp"
#include "shell/Config.hpp"
#include "shell/PictureCatalogue.hpp"
#include "shell/VantorError.hpp"
#include "wizard/CityEditorModel.hpp"

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>
#include <unistd.h>

namespace {

using namespace vantor;

constexpr int kExitIoError = 1;
constexpr int kExitUsage = 2;

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

std::filesystem::path executableDirectory(const char* argv0)
{
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec)
        return self.parent_path();
    return std::filesystem::absolute(argv0, ec).parent_path();
}

void applyCityOptions(CityEditorModel& editor, const cli::CityOptions& o)
{
    GenerationParams& p = editor.params();
    if (o.sizeChoice)
        editor.setSizeChoice(*o.sizeChoice);
    if (o.lampChoice)
        editor.setLampChoice(*o.lampChoice);
    if (o.walls)
        p.walls = *o.walls;
    if (o.wallN)
        p.wallN = *o.wallN;
    if (o.wallE)
        p.wallE = *o.wallE;
    if (o.wallS)
        p.wallS = *o.wallS;
    if (o.wallW)
        p.wallW = *o.wallW;
    if (o.highway)
        p.highway = *o.highway;
    if (o.downtown)
        p.downtown = *o.downtown;
    if (o.industrial)
        p.industrial = *o.industrial;
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

int runCity(const cli::CityOptions& options, const char* argv0)
{
    const std::filesystem::path root = options.root ? *options.root : executableDirectory(argv0);
    std::error_code ec;
    if (!std::filesystem::is_directory(root, ec)) {
        std::cerr << "vantor-cli: --root: " << root.string() << " is not a directory\n";
        return kExitUsage;
    }
    Config config;
    try {
        config = Config::load(root);
    } catch (const VantorError& e) {
        std::cerr << "vantor-cli: " << e.what() << "\n";
        return kExitIoError;
    }

    CityEditorModel editor(config.language());
    applyCityOptions(editor, options);
    if (options.landmarkKind && !editor.chooseLandmark(*options.landmarkKind, config.campaignCompleted)) {
        std::cerr << "vantor-cli: --landmark: " << CityEditorModel::lockMessage(Language::English)
                  << " (set CC=1 in " << (root / "config.ini").string() << ")\n";
        return kExitUsage;
    }

    RandomSource random;
    if (options.seed) {
        random.setSeed(*options.seed);
    } else {
        random.setSeed(RandomSource::timeOfDaySeed());
        std::cout << "Seed: " << random.seed() << "\n";
    }

    try {
        const PictureCatalogue catalogue = PictureCatalogue::load(root);
        catalogue.requireComplete();
        editor.setCatalogue(catalogue);
        editor.loadGroundTextures(root);
        TerminalProgress progress;
        editor.generate(random, progress);
        const std::filesystem::path written = editor.save(root, progress);
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
    }
    return 0;
}
