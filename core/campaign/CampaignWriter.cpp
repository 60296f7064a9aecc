#include "campaign/CampaignWriter.hpp"

#include "campaign/CityPipeline.hpp"
#include "shell/AtomicFile.hpp"
#include "shell/BmpFile.hpp"
#include "shell/IniWriter.hpp"
#include "shell/VantorError.hpp"

#include <algorithm>
#include <array>
#include <string>

namespace vantor {

namespace {

constexpr std::array<std::string_view, 4> kSingleMissionFiles{
    "SingleCity.ini", "SingleCityGROUND.bmp", "SingleCityHIGHT.bmp", "SingleCityPLAN.bmp"};

// The size choice of a campaign city: one draw, then the rules in order,
// each overriding the ones before.
int chooseSize(const CampaignCity& city, const CampaignSettings& settings, RandomSource& random)
{
    int size = random.real() < 0.6 ? 2 : 3;
    if (city.forcedSize != -1)
        size = city.forcedSize;
    if (city.landmark == "Spaceport")
        size = 3;
    if (!settings.largeCities && size == 3)
        size = 2;
    if (city.landmark == "Fort" || city.landmark == "Excavation" || city.landmark == "RebelHQ")
        size = 3;
    else if (city.landmark == "Lab")
        size = 2;
    else if (city.landmark == "Parking")
        size = 0;
    return size;
}

void writeCitySection(IniWriter& ini, int index, const CampaignCity& city, int size)
{
    const std::string section = std::to_string(index);
    ini.write(section, "Name", city.name);
    ini.writeReal(section, "MoonX", static_cast<double>(city.moonX));
    ini.writeReal(section, "MoonY", static_cast<double>(city.moonY));
    ini.write(section, "Size", size);
    ini.write(section, "Landmark", city.landmark);
    ini.writeBool(section, "Explored", index == 1);
    ini.write(section, "Rebels", city.rebels);
    ini.write(section, "Neighbour NW", city.neighbourNW);
    ini.write(section, "Neighbour NE", city.neighbourNE);
    ini.write(section, "Neighbour SW", city.neighbourSW);
    ini.write(section, "Neighbour SE", city.neighbourSE);
}

// Sets the city editor's controls for one campaign city, making the draws in order.
void setCityControls(CityEditorModel& editor, const CampaignCity& city, int size, const CampaignSettings& settings,
                     RandomSource& random)
{
    GenerationParams& p = editor.params();
    p.cityName = city.name;
    editor.setSizeChoice(size);
    const auto kind = std::find(kLandmarkNames.begin(), kLandmarkNames.end(), city.landmark);
    if (city.landmark == "None") {
        // No landmark: the box off and the kind back to Spaceport, so the
        // layout step never rebuilds the previous city's mission layout.
        editor.setLandmarkEnabled(false);
        editor.setLandmarkKind(LandmarkKind::Spaceport);
    } else {
        editor.setLandmarkEnabled(true);
        if (kind != kLandmarkNames.end())
            editor.setLandmarkKind(static_cast<LandmarkKind>(kind - kLandmarkNames.begin()));
    }
    p.hangarNW = city.linkedNW;
    p.hangarNE = city.linkedNE;
    p.hangarSW = city.linkedSW;
    p.hangarSE = city.linkedSE;
    p.walls = random.real() < size / 5.0;
    if (random.real() < 0.5) {
        p.wallN = p.wallE = p.wallW = p.wallS = true;
    } else {
        p.wallN = random.real() < 0.5;
        p.wallE = random.real() < 0.5;
        p.wallW = random.real() < 0.5;
        p.wallS = random.real() < 0.5;
    }
    p.highway = random.real() < 0.5;
    p.downtown = random.real() < 0.7;
    p.industrial = random.real() < 0.6;
    int lamps = random.below(4);
    if (settings.limitedLights && lamps == 1)
        lamps = 2;
    editor.setLampChoice(lamps);
    int road = random.below(70) + 30;
    if (city.forcedRoadDensity != -1)
        road = city.forcedRoadDensity;
    editor.setRoadDensityPosition(road);
    editor.setHouseDensityPosition(random.below(settings.maxHouseDensity));
    editor.setHillnessPosition(random.below(100));
    editor.setRebelsPosition(city.rebels);
    p.fakeCarIndex = city.fakeCarIndex;
    p.fakeGunIndex = city.fakeGunIndex;
}

void writeObjectives(IniWriter& ini, const Campaign& campaign)
{
    ini.write("General", "NumTasks", Campaign::kNumTasks);
    for (int k = 1; k <= Campaign::kNumTasks; ++k) {
        const TObjective& o = campaign.objectives.at(static_cast<std::size_t>(k));
        const std::string section = "Task" + std::to_string(k);
        ini.writeBool(section, "Found", o.found);
        ini.writeBool(section, "Completed", o.completed);
        ini.write(section, "Heading", o.heading);
        ini.write(section, "Text", o.text);
        ini.write(section, "Destination", o.destination);
        ini.write(section, "StartCity", o.startCity);
        ini.write(section, "Reward", o.reward);
        ini.write(section, "CarsToKill", o.carsToKill);
        ini.write(section, "CarsTypeToKill", o.carsTypeToKill);
        ini.write(section, "GunToBuy", o.gunToBuy);
        ini.write(section, "CarToBuy", o.carToBuy);
        ini.writeBool(section, "NeedLandmark", o.needLandmark);
    }
}

} // namespace

bool CampaignWriter::campaignExists(const std::filesystem::path& programDir)
{
    std::error_code ec;
    return std::filesystem::exists(programDir / "atlas" / "start.ini", ec) ||
           std::filesystem::exists(programDir / "atlas" / "campaign.ini", ec);
}

void CampaignWriter::cleanAtlas(const std::filesystem::path& atlas)
{
    std::error_code ec;
    std::vector<std::filesystem::path> doomed;
    for (std::filesystem::directory_iterator it(atlas, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (std::find(kSingleMissionFiles.begin(), kSingleMissionFiles.end(), name) != kSingleMissionFiles.end())
            continue;
        std::error_code statusError;
        // Only regular files, never directories and never through links.
        if (std::filesystem::symlink_status(it->path(), statusError).type() == std::filesystem::file_type::regular)
            doomed.push_back(it->path());
    }
    for (const auto& path : doomed) {
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
    }
}

CampaignOutcome CampaignWriter::write(const Campaign& campaign, const CampaignSettings& settings,
                                      CityEditorModel& editor, const std::filesystem::path& programDir,
                                      RandomSource& random, CampaignProgress& progress,
                                      const std::function<bool()>& askOverwrite)
{
    if (campaign.cities.size() < static_cast<std::size_t>(campaign.numCities) + 2 ||
        campaign.objectives.size() < static_cast<std::size_t>(Campaign::kNumTasks) + 1)
        throw VantorError("The campaign has no valid Moon map yet");
    const std::filesystem::path atlas = programDir / "atlas";
    if (campaignExists(programDir)) {
        if (!askOverwrite())
            return CampaignOutcome::Declined;
        std::error_code ignored;
        std::filesystem::remove(atlas / "campaign.ini", ignored);
    }
    std::error_code ec;
    std::filesystem::create_directories(atlas, ec);
    if (!std::filesystem::is_directory(atlas, ec))
        throw VantorError("Cannot create directory " + atlas.string());
    cleanAtlas(atlas);

    progress.setTotalProgress(0);
    progress.pump();

    const std::filesystem::path startIni = atlas / "start.ini";
    IniWriter ini;
    ini.write("General", "Number of cities", campaign.numCities + 1);
    ini.write("General", "Location from", 1);
    ini.write("General", "Location to", -2);
    ini.write("General", "Location lastPos", "Spaceport");
    ini.write("General", "Cash", 100);
    ini.writeReal("General", "HealthBody", 100);
    for (const char* wheel : {"HealthWheelFL", "HealthWheelFR", "HealthWheelBL", "HealthWheelBR"})
        ini.writeReal("General", wheel, 20);
    ini.writeReal("Healthes", "0", 100);
    for (const char* key : {"1", "2", "3", "4"})
        ini.writeReal("Healthes", key, 20);
    writeFileAtomically(startIni, ini.text());

    // Each city is placed here, in draw order, and drawn, encoded and
    // written by the pipeline's workers; the files come back to this writer.
    CityPipeline pipeline(editor, programDir, [](const std::vector<CityPipeline::File>& files) {
        for (const CityPipeline::File& file : files)
            writeFileAtomically(file.path, file.bytes);
    });
    const int total = campaign.numCities + 1; // the cities and the headquarters
    for (int i = 1; i <= total; ++i) {
        progress.setTotalProgress(static_cast<int>(static_cast<double>(i) / total * 100));
        progress.pump();
        if (progress.cancelRequested()) {
            // The cities placed so far are still finished and written, as
            // when each city was written before the next began.
            pipeline.finish(progress);
            progress.setTotalProgress(0);
            return CampaignOutcome::Cancelled;
        }
        const CampaignCity& city = campaign.cities[static_cast<std::size_t>(i)];
        const int size = chooseSize(city, settings, random);
        writeCitySection(ini, i, city, size);
        writeFileAtomically(startIni, ini.text());
        setCityControls(editor, city, size, settings, random);
        pipeline.submit(random, progress);
    }
    pipeline.finish(progress);

    writeObjectives(ini, campaign);
    writeFileAtomically(startIni, ini.text());
    BmpFile::write(campaign.moonMap, atlas / "moon.bmp");
    progress.setTotalProgress(0);
    return CampaignOutcome::Completed;
}

std::string_view CampaignWriter::overwriteQuestion(Language language)
{
    return tr(language, "Campaign already exists.\rDo you want to overwrite it?", "Kampaň již existuje.\rChcete ji přepsat?");
}

std::string_view CampaignWriter::statusText(CampaignOutcome outcome, Language language)
{
    switch (outcome) {
    case CampaignOutcome::Completed:
        return tr(language, "Campaign successfuly generated", "Kampaň byla úspěšně vygenerována");
    case CampaignOutcome::Cancelled:
        return tr(language, "Campaign generation cancelled: the campaign is incomplete.",
                  "Generování kampaně bylo přerušeno: kampaň je neúplná.");
    case CampaignOutcome::Declined:
        break;
    }
    return {};
}

std::string_view CampaignWriter::messageText(CampaignOutcome outcome, Language language)
{
    switch (outcome) {
    case CampaignOutcome::Completed:
        return tr(language, "Campaign successfuly generated.\rExit this program and run Korvane to play the game",
                  "Kampaň byla úspěšně vygenerována.\rUkončete tento program a spust'te Korvane.");
    case CampaignOutcome::Cancelled:
        return tr(language,
                  "Campaign generation cancelled.\rThe campaign in the atlas directory is incomplete: generate it again "
                  "before you play.",
                  "Generování kampaně bylo přerušeno.\rKampaň v adresáři atlas je neúplná: před hraním ji vygenerujte "
                  "znovu.");
    case CampaignOutcome::Declined:
        break;
    }
    return {};
}

} // namespace vantor
