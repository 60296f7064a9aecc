#include "campaign/MoonMap.hpp"
#include "platform/Platform.hpp"

#include "campaign/ObjectiveBuilder.hpp"
#include "cityfiles/CitySaver.hpp"
#include "shell/Canvas.hpp"
#include "shell/FileReading.hpp"
#include "shell/VantorError.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <fstream>
#include <iterator>

namespace vantor {

namespace {

constexpr Rgb kSilver{192, 192, 192};
constexpr Rgb kLinkColour{80, 80, 90};
constexpr Rgb kSpaceportLabel{0, 0, 255};
constexpr int kLabelHeight = 12;

int pixelX(double x) { return static_cast<int>(x * 512); }
int pixelY(double y) { return static_cast<int>(y * 256) + 128; }

std::string lowerCase(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

bool sameName(std::string_view a, std::string_view b) { return lowerCase(a) == lowerCase(b); }

// One direction's link pass: which flags must be free, where the candidate
// lies, and the two ends of the drawn line (offsets in pixels).
struct LinkPass {
    bool CampaignCity::*own;
    int CampaignCity::*ownNeighbour;
    bool CampaignCity::*opposite;
    int CampaignCity::*oppositeNeighbour;
    int signX; // candidate's x is below (-1) or above (+1) city i's
    int signY;
    int fromDx, fromDy, toDx, toDy;
};

constexpr std::array<LinkPass, 4> kLinkPasses{{
    {&CampaignCity::linkedNW, &CampaignCity::neighbourNW, &CampaignCity::linkedSE, &CampaignCity::neighbourSE, -1, -1, 0, 0, 5, 5},
    {&CampaignCity::linkedNE, &CampaignCity::neighbourNE, &CampaignCity::linkedSW, &CampaignCity::neighbourSW, +1, -1, 5, 0, 0, 5},
    {&CampaignCity::linkedSE, &CampaignCity::neighbourSE, &CampaignCity::linkedNW, &CampaignCity::neighbourNW, +1, +1, 5, 5, 0, 0},
    {&CampaignCity::linkedSW, &CampaignCity::neighbourSW, &CampaignCity::linkedNE, &CampaignCity::neighbourNE, -1, +1, 0, 5, 5, 0},
}};

// The landmark drawn for the k-th city of a district (two draws, made for
// every k, then overwritten for the first four).
std::string drawLandmark(int k, RandomSource& random)
{
    std::string landmark = "None";
    if (random.real() >= 0.4)
        landmark = random.real() < 0.7 ? "Garage" : "Carshop";
    static constexpr std::array<const char*, 4> kFirstFour{"Spaceport", "Garage", "Gunshop", "Carshop"};
    if (k >= 1 && k <= 4)
        landmark = kFirstFour[static_cast<std::size_t>(k - 1)];
    return landmark;
}

void linkDistrict(std::vector<CampaignCity>& district, Canvas& canvas)
{
    const int n = static_cast<int>(district.size()) - 1;
    canvas.setPenColor(kLinkColour);
    for (const LinkPass& pass : kLinkPasses) {
        for (int i = 1; i <= n; ++i) {
            CampaignCity& from = district[static_cast<std::size_t>(i)];
            if (from.*pass.own)
                continue;
            int best = -1;
            double bestDistance = 10000.0;
            for (int j = 1; j <= n; ++j) {
                const CampaignCity& to = district[static_cast<std::size_t>(j)];
                if (j == i || to.*pass.opposite)
                    continue;
                const double dx = static_cast<double>(to.moonX) - from.moonX;
                const double dy = static_cast<double>(to.moonY) - from.moonY;
                if (dx * pass.signX <= 0 || dy * pass.signY <= 0)
                    continue;
                const double distance = std::sqrt(dx * dx + dy * dy);
                if (distance < bestDistance) {
                    bestDistance = distance;
                    best = j;
                }
            }
            if (best < 0)
                continue;
            CampaignCity& to = district[static_cast<std::size_t>(best)];
            from.*pass.own = true;
            from.*pass.ownNeighbour = best;
            to.*pass.opposite = true;
            to.*pass.oppositeNeighbour = i;
            canvas.line(static_cast<int>(from.moonX * 512.0 + pass.fromDx), static_cast<int>(from.moonY * 256.0 + pass.fromDy) + 128,
                        static_cast<int>(to.moonX * 512.0 + pass.toDx), static_cast<int>(to.moonY * 256.0 + pass.toDy) + 128);
        }
    }
}

// Places the labels without overlap; the occupancy grid is 513 x 257 bytes.
class LabelPlacer {
public:
    LabelPlacer() : used_(static_cast<std::size_t>(513) * 257, 0) {}

    // Walks the label of `city` to a free place and draws it; false when none was found.
    bool place(const CampaignCity& city, MapLabel& placed, Canvas& canvas, const Font& font, RandomSource& random,
               std::string* why)
    {
        canvas.setFontColor(city.landmark == "Spaceport" ? kSpaceportLabel : kBlack);
        const int tw = font.textWidth(city.name);
        const double x = static_cast<double>(city.moonX) * 512;
        const double y = static_cast<double>(city.moonY) * 256;
        int dx = 6;
        int dy = 6;
        for (int attempts = 1;; ++attempts) {
            if (!walk(dx, random, [&] { return x + dx + tw < 512 && x + dx > 0; }) ||
                !walk(dy, random, [&] { return y + dy + kLabelHeight + 128 < 256 && y + dy + 128 > 0; })) {
                return fail(why, "the label \"" + city.name + "\" does not fit on the map");
            }
            const int c0 = static_cast<int>(x) + dx;
            const int r0 = static_cast<int>(y + dy) + 128;
            const int r1 = static_cast<int>(y + dy + kLabelHeight) + 128;
            const bool free = isFree(c0, c0 + tw, r0, r1);
            if (attempts > MoonMap::kLabelAttempts)
                return fail(why, "no free place for the label \"" + city.name + "\"");
            if (!free)
                continue;
            mark(c0, c0 + tw, r0, r1);
            placed.left = c0;
            placed.top = r0;
            placed.right = c0 + tw;
            placed.bottom = r1;
            canvas.textOut(static_cast<int>(x + dx), static_cast<int>(y + dy) + 128, city.name);
            return true;
        }
    }

private:
    template <typename Fits>
    static bool walk(int& offset, RandomSource& random, Fits fits)
    {
        for (int step = 0; step < MoonMap::kWalkSteps; ++step) {
            offset += random.below(3) - 1;
            if (fits())
                return true;
        }
        return false;
    }

    static bool fail(std::string* why, std::string text)
    {
        if (why != nullptr)
            *why = std::move(text);
        return false;
    }

    std::uint8_t* cell(int column, int row)
    {
        if (column < 0 || row < 0 || column > 512 || row > 256)
            return nullptr;
        return &used_[static_cast<std::size_t>(column) * 257 + static_cast<std::size_t>(row)];
    }

    bool isFree(int c0, int c1, int r0, int r1)
    {
        for (int c = c0; c <= c1; ++c)
            for (int r = r0; r <= r1; ++r)
                if (const std::uint8_t* u = cell(c, r); u != nullptr && *u != 0)
                    return false;
        return true;
    }

    void mark(int c0, int c1, int r0, int r1)
    {
        for (int c = c0; c <= c1; ++c)
            for (int r = r0; r <= r1; ++r)
                if (std::uint8_t* u = cell(c, r))
                    *u = 1;
    }

    std::vector<std::uint8_t> used_;
};

// Draws a name for city i that no city 1..i-1 has; empty when the draws run out.
std::string drawName(const Campaign& campaign, int i, RandomSource& random)
{
    for (int draw = 0; draw < MoonMap::kNameDraws; ++draw) {
        const int r = random.below(MoonMap::kNamesInList);
        const std::string& candidate =
            static_cast<std::size_t>(r) < campaign.cityNames.size() ? campaign.cityNames[static_cast<std::size_t>(r)] : std::string();
        bool taken = candidate.empty() || sameName(candidate, MoonMap::kHeadquartersName);
        for (int k = 1; k <= i && !taken; ++k)
            taken = sameName(campaign.cities[static_cast<std::size_t>(k)].name, candidate);
        if (!taken)
            return candidate;
    }
    return {};
}

// Draws a free city index in [low, low + range) for the special places.
int drawFreeCity(const Campaign& campaign, RandomSource& random, int range, int low)
{
    for (int draw = 0; draw < MoonMap::kNameDraws; ++draw) {
        const int r = random.below(range) + low;
        if (campaign.cities[static_cast<std::size_t>(r)].free)
            return r;
    }
    return -1;
}

} // namespace

Font MoonMap::loadLabelFont(const std::filesystem::path& programDir)
{
    return Font(programDir / kLabelFontFile, kLabelPixelSize);
}

MoonMap::Counts MoonMap::normalise(int cities, int districts)
{
    cities = std::clamp(cities, 30, 55);
    districts = std::clamp(districts, 6, 15);
    while (cities / districts < 5)
        ++cities;
    return {cities, districts};
}

std::vector<std::string> MoonMap::loadCityNames(const std::filesystem::path& file)
{
    const std::string text = readWholeFile(file, 1u << 20, "1 MiB");
    std::vector<std::string> names;
    std::string_view rest = text;
    if (rest.starts_with("\xEF\xBB\xBF"))
        rest.remove_prefix(3); // a UTF-8 byte-order mark
    while (names.size() < static_cast<std::size_t>(kNamesInList) && !rest.empty()) {
        const std::size_t end = rest.find('\n');
        std::string line(rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty()) {
            try {
                CitySaver::checkCityName(line, CitySaver::NameUse::CampaignCity);
            } catch (const VantorError& e) {
                throw e.atLine(platform::utf8(file), static_cast<int>(names.size()) + 1);
            }
        }
        names.push_back(line);
    }
    names.resize(kNamesInList);
    return names;
}

int MoonMap::usableNameCount(const std::vector<std::string>& names)
{
    std::vector<std::string> distinct;
    for (const std::string& name : names) {
        if (name.empty() || sameName(name, kHeadquartersName))
            continue;
        const std::string key = lowerCase(name);
        if (std::find(distinct.begin(), distinct.end(), key) == distinct.end())
            distinct.push_back(key);
    }
    return static_cast<int>(distinct.size());
}

bool MoonMap::generate(Campaign& campaign, RandomSource& random, const Font& labelFont, std::string* why)
{
    const Counts counts = normalise(campaign.numCities, campaign.numDistricts);
    campaign.numCities = counts.cities;
    campaign.numDistricts = counts.districts;
    const int cityCount = counts.cities;
    const int districts = counts.districts;

    campaign.cities.assign(static_cast<std::size_t>(cityCount) + 1, CampaignCity{});
    campaign.objectives.assign(static_cast<std::size_t>(Campaign::kNumTasks) + 1, TObjective{});
    campaign.moonMap = Image(Campaign::kMapWidth, Campaign::kMapHeight, kSilver);
    campaign.labels.clear();
    Canvas canvas(campaign.moonMap);
    bool result = true;

    // District sizes: n each, the last (N mod D) districts one more.
    const int n = cityCount / districts;
    const int extra = cityCount % districts;
    campaign.districtStart.assign(static_cast<std::size_t>(districts) + 2, 0);
    int next = 1;
    for (int d = 1; d <= districts; ++d) {
        const int size = n + (d > districts - extra ? 1 : 0);
        campaign.districtStart[static_cast<std::size_t>(d)] = next;

        std::vector<CampaignCity> district(static_cast<std::size_t>(size) + 1);
        for (int k = 1; k <= size; ++k) {
            CampaignCity& city = district[static_cast<std::size_t>(k)];
            if (d == 1) {
                city.moonX = static_cast<float>(static_cast<double>(k) / size * (1.0 / districts));
                city.moonY = static_cast<float>((static_cast<double>(k) / size - 0.5) * 0.8);
            } else {
                city.moonX = static_cast<float>(random.real() * (1.0 / districts) + (d - 1) * (1.0 / districts));
                city.moonY = static_cast<float>((random.real() - 0.5) * 0.8);
            }
            city.landmark = drawLandmark(k, random);
            city.rebels = random.below(50) + 30;
        }
        for (int k = 1; k <= size; ++k) {
            const CampaignCity& city = district[static_cast<std::size_t>(k)];
            canvas.drawImage(pixelX(city.moonX), pixelY(city.moonY), campaign.moonBase);
        }
        linkDistrict(district, canvas);

        const int offset = next - 1;
        for (int k = 1; k <= size; ++k) {
            const CampaignCity& from = district[static_cast<std::size_t>(k)];
            CampaignCity& to = campaign.cities[static_cast<std::size_t>(k + offset)];
            to.landmark = from.landmark;
            to.rebels = from.rebels;
            to.moonX = from.moonX;
            to.moonY = from.moonY;
            to.linkedNW = from.linkedNW;
            to.linkedNE = from.linkedNE;
            to.linkedSW = from.linkedSW;
            to.linkedSE = from.linkedSE;
            const auto shifted = [offset](int neighbour) { return neighbour < 0 ? -1 : neighbour + offset; };
            to.neighbourNW = shifted(from.neighbourNW);
            to.neighbourNE = shifted(from.neighbourNE);
            to.neighbourSW = shifted(from.neighbourSW);
            to.neighbourSE = shifted(from.neighbourSE);
            to.district = d;
            if (!(from.linkedNW || from.linkedNE || from.linkedSW || from.linkedSE)) {
                result = false;
                if (why != nullptr)
                    *why = "a city of district " + std::to_string(d) + " has no link";
            }
        }
        next += size;
    }
    campaign.districtStart[static_cast<std::size_t>(districts) + 1] = next;

    canvas.setFont(&labelFont);
    LabelPlacer labels;
    for (int i = 1; i <= cityCount; ++i) {
        CampaignCity& city = campaign.cities[static_cast<std::size_t>(i)];
        city.name = drawName(campaign, i, random);
        if (city.name.empty()) {
            if (why != nullptr)
                *why = "not enough different city names";
            return false;
        }
        MapLabel& placed = campaign.labels.emplace_back();
        placed.city = i;
        if (!labels.place(city, placed, canvas, labelFont, random, why))
            return false;
    }

    // The tutorial in district 1, errands in districts 2 to 5, special places outside district 1.
    const int first = campaign.districtStart[2] - 1; // cities in district 1
    const auto start = [&campaign](int d) { return campaign.districtStart[static_cast<std::size_t>(d)]; };
    ObjectiveBuilder::build(campaign, 1, 0, 1);
    ObjectiveBuilder::build(campaign, 1, 2, 2);
    ObjectiveBuilder::build(campaign, 2, 0, 3);
    ObjectiveBuilder::build(campaign, 3, 4, 4);
    ObjectiveBuilder::build(campaign, 5, 1, 5);
    for (int d = 2; d <= 5; ++d)
        ObjectiveBuilder::build(campaign, start(d), start(d) + 1, d + 4);
    for (int index = 10; index <= 13; ++index) {
        const int low = index == 10 ? first : first + 1;
        const int city = drawFreeCity(campaign, random, cityCount - first, low);
        if (city < 0) {
            if (why != nullptr)
                *why = "no free city for objective " + std::to_string(index);
            return false;
        }
        ObjectiveBuilder::build(campaign, city, 0, index);
    }

    CampaignCity headquarters;
    headquarters.landmark = "RebelHQ";
    headquarters.moonX = static_cast<float>(random.real());
    headquarters.moonY = static_cast<float>(random.real() / 2);
    headquarters.name = std::string(kHeadquartersName);
    headquarters.rebels = 100;
    headquarters.forcedSize = 3;
    campaign.cities.push_back(headquarters);
    ObjectiveBuilder::build(campaign, cityCount + 1, 0, 14);
    return result;
}

void MoonMap::generateUntilValid(Campaign& campaign, RandomSource& random, const Font& labelFont)
{
    const Counts counts = normalise(campaign.numCities, campaign.numDistricts);
    const int usable = usableNameCount(campaign.cityNames);
    if (usable < counts.cities)
        throw VantorError("data/citynames.txt holds only " + std::to_string(usable) + " usable names, " +
                          std::to_string(counts.cities) + " are needed");
    std::string why;
    for (int attempt = 0; attempt < kLayoutAttempts; ++attempt)
        if (generate(campaign, random, labelFont, &why))
            return;
    throw VantorError("No valid Moon map after " + std::to_string(kLayoutAttempts) + " attempts (" + why + ")");
}

} // namespace vantor
