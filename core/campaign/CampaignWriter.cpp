#include "campaign/CampaignWriter.hpp"
#include "platform/Platform.hpp"

#include "campaign/CityPipeline.hpp"
#include "cityfiles/CitySaver.hpp"
#include "shell/AtlasDirectory.hpp"
#include "shell/BmpFile.hpp"
#include "shell/IniFile.hpp"
#include "shell/IniWriter.hpp"
#include "shell/VantorError.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <span>
#include <string>

namespace vantor {

namespace {

// The size choice of a campaign city from the drawn size (2 or 3): the rules
// in order, each overriding the ones before.
int applySizeRules(int size, const CampaignCity& city, const CampaignSettings& settings)
{
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

// The size choice of a campaign city: one draw, then the rules.
int chooseSize(const CampaignCity& city, const CampaignSettings& settings, RandomSource& random)
{
    return applySizeRules(random.real() < 0.6 ? 2 : 3, city, settings);
}

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](unsigned char x, unsigned char y) {
        return std::tolower(x) == std::tolower(y);
    });
}

// A previous city named like one of the program's own files (the single
// mission, the campaign's files, the old campaign.ini, the journal and the
// other names the writer keeps for itself) is never retired by that name:
// its files would be the program's own.
bool isOwnName(std::string_view name)
{
    for (const std::string_view own : {"SingleCity", "start", "moon", "campaign"})
        if (equalsIgnoringCase(name, own))
            return true;
    return name.starts_with(".vantor") || equalsIgnoringCase(name, ".lock");
}

// The files of the campaign that atlas/start.ini describes: start.ini,
// moon.bmp and the four files of every city it names. Names that could not
// be a city file, and the single mission's, are left out; an unreadable or
// missing start.ini gives none.
std::vector<std::string> previousCampaignFiles(const std::filesystem::path& atlas)
{
    IniFile ini;
    try {
        ini = IniFile::load(atlas / "start.ini");
    } catch (const VantorError&) {
        return {};
    }
    const int cities = ini.readInteger("General", "Number of cities", -1);
    if (cities < 0)
        return {};
    std::vector<std::string> names{"start.ini", "moon.bmp"};
    for (int i = 1; i <= std::min(cities, 10000); ++i) {
        const auto name = ini.value(std::to_string(i), "Name");
        if (!name || isOwnName(*name))
            continue;
        try {
            CitySaver::checkCityName(*name);
        } catch (const VantorError&) {
            continue;
        }
        for (const char* suffix : {".ini", "PLAN.bmp", "GROUND.bmp", "HIGHT.bmp"})
            names.push_back(*name + suffix);
    }
    return names;
}

// Refuses a campaign that cannot fit beside the files it replaces: until it
// is moved into place the previous campaign stays on the disk.
void requireFreeSpace(const AtlasDirectory& atlas, const Campaign& campaign, const CampaignSettings& settings)
{
    constexpr std::uint64_t kSlackPerFile = 4096; // the last block of each file
    constexpr std::uint64_t kStartIniBytes = 64 * 1024;
    std::uint64_t needed = kStartIniBytes + BmpFile::encode(campaign.moonMap).size() + 2 * kSlackPerFile;
    for (int i = 1; i <= campaign.numCities + 1; ++i) {
        const CampaignCity& city = campaign.cities[static_cast<std::size_t>(i)];
        const int largest = std::max(applySizeRules(2, city, settings), applySizeRules(3, city, settings));
        needed += CitySaver::estimatedBytes(largest) + 4 * kSlackPerFile;
    }
    const std::uint64_t available = atlas.freeSpace();
    if (available < needed) {
        const auto megabytes = [](std::uint64_t bytes) { return std::to_string((bytes + 999999) / 1000000); };
        throw VantorError::translated(
            "Not enough free space in " + platform::utf8(atlas.path()) + ": the new campaign needs up to " +
                megabytes(needed) + " MB beside the current files, " + megabytes(available) +
                " MB are free; nothing was changed",
            "Ve složce " + platform::utf8(atlas.path()) + " není dost volného místa: nová kampaň potřebuje vedle " +
                "současných souborů až " + megabytes(needed) + " MB, volných je " + megabytes(available) +
                " MB; nic nebylo změněno");
    }
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

CampaignOutcome CampaignWriter::write(const Campaign& campaign, const CampaignSettings& settings,
                                      CityEditorModel& editor, const std::filesystem::path& programDir,
                                      RandomSource& random, CampaignProgress& progress,
                                      const std::function<bool()>& askOverwrite)
{
    if (campaign.cities.size() < static_cast<std::size_t>(campaign.numCities) + 2 ||
        campaign.objectives.size() < static_cast<std::size_t>(Campaign::kNumTasks) + 1)
        throw VantorError("The campaign has no valid Moon map yet");

    // One writer at a time. An interrupted commit is repaired first; then
    // the question whether a campaign exists is answered under the lock, so
    // no other run can write one between the answer and this run's commit.
    // The new campaign is written into a private staging folder inside
    // atlas/ and moved into place only when every file is complete; any
    // failure or a Cancel before that removes the folder and leaves the
    // previous campaign as it was.
    AtlasDirectory atlas(programDir / "atlas");
    atlas.beginWriting();
    if ((atlas.contains("start.ini") || atlas.contains("campaign.ini")) && !askOverwrite())
        return CampaignOutcome::Declined;
    std::vector<std::string> replaced = previousCampaignFiles(atlas.path());
    replaced.push_back("campaign.ini"); // only tested for and removed
    requireFreeSpace(atlas, campaign, settings);
    StagingDirectory staging(atlas);

    progress.setTotalProgress(0);
    progress.pump();

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

    // Each city is placed here, in draw order, and drawn by the pipeline's
    // workers, which write its files, one city at a time and in order, into
    // the staging folder. Declared after the staging folder, the pipeline
    // stops (dropping unwritten cities) before the folder goes.
    CityPipeline pipeline(editor, programDir, [&staging](const std::vector<CitySaver::OutputFile>& files) {
        for (const CitySaver::OutputFile& file : files)
            staging.add(file.name, [&file](const ByteWriter& write) { file.writeTo(write); });
    });
    const int total = campaign.numCities + 1; // the cities and the headquarters
    for (int i = 1; i <= total; ++i) {
        progress.setTotalProgress(static_cast<int>(static_cast<double>(i) / total * 100));
        progress.pump();
        if (progress.cancelRequested()) {
            // Nothing staged reaches atlas/: the previous campaign stays.
            progress.setTotalProgress(0);
            return CampaignOutcome::Cancelled;
        }
        const CampaignCity& city = campaign.cities[static_cast<std::size_t>(i)];
        const int size = chooseSize(city, settings, random);
        writeCitySection(ini, i, city, size);
        setCityControls(editor, city, size, settings, random);
        pipeline.submit(random, progress);
    }
    pipeline.finish(progress);

    writeObjectives(ini, campaign);
    const std::string text = ini.text();
    staging.add("start.ini", std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    staging.add("moon.bmp", [&campaign](const ByteWriter& write) { BmpFile::encode(campaign.moonMap, write); });
    // A stop asked for during the last city still keeps the previous campaign.
    if (progress.cancelRequested()) {
        progress.setTotalProgress(0);
        return CampaignOutcome::Cancelled;
    }
    staging.commit(replaced);
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
        return tr(language, "Campaign successfully generated", "Kampaň byla úspěšně vygenerována");
    case CampaignOutcome::Cancelled:
        return tr(language, "Campaign generation cancelled: the previous campaign is unchanged.",
                  "Generování kampaně bylo zrušeno: předchozí kampaň zůstala beze změny.");
    case CampaignOutcome::Declined:
        break;
    }
    return {};
}

std::string_view CampaignWriter::messageText(CampaignOutcome outcome, Language language)
{
    switch (outcome) {
    case CampaignOutcome::Completed:
        return tr(language, "Campaign successfully generated.\rExit this program and run Korvane to play the game.",
                  "Kampaň byla úspěšně vygenerována.\rUkončete tento program a spusťte Korvane.");
    case CampaignOutcome::Cancelled:
        return tr(language,
                  "Campaign generation cancelled.\rThe previous campaign in the atlas directory is unchanged.",
                  "Generování kampaně bylo zrušeno.\rPředchozí kampaň v adresáři atlas zůstala beze změny.");
    case CampaignOutcome::Declined:
        break;
    }
    return {};
}

} // namespace vantor
