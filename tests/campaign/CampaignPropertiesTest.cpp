// Properties of the Moon map layout and the objectives that must hold for
// every seed, checked over many seeds and the corner counts: rebel levels,
// the districts' spaceports, the cities each objective shapes, the places
// the special objectives may draw, and name labels that never overlap and
// stand where they were drawn.

#include "campaign/MoonMap.hpp"

#include "TestSupport.hpp"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace vantor {
namespace {

Campaign laidOut(int cities, int districts, std::uint32_t seed)
{
    return test::laidOutCampaign(seed, cities, districts);
}

// One objective's record and what it does to its city (a or b): the fixed
// chain every campaign carries.
struct ObjectiveRow {
    int reward;
    int carsToKill;
    int gunToBuy;
    int carToBuy;
    bool needLandmark;
    bool found;
    bool completed;
    bool destinationIsCity; // Destination names city b, else "none"
    bool shapesDestination; // the city changed is b, else a
    const char* landmark;   // nullptr: kept
    int rebels;             // -1: kept
    int forcedSize;
    int forcedRoadDensity;
    int fakeGun; // -2: kept
    int fakeCar; // -2: kept
};
constexpr ObjectiveRow kObjectives[15] = {
    {},
    {0, -1, -1, -1, false, true, true, false, false, nullptr, -1, -1, -1, -2, -2},
    {200, -1, -1, -1, false, false, false, true, false, nullptr, 0, -1, -1, -2, -2},
    {1000, 10, -1, -1, false, false, false, false, false, nullptr, 80, 3, 90, -2, -2},
    {100, -1, -1, -1, true, false, false, true, true, "Garage", 60, 3, 70, -2, -2},
    {200, -1, -1, -1, true, false, false, true, true, nullptr, -1, -1, -1, -2, -2},
    {600, -1, 1, -1, true, false, false, true, true, "Gunshop", 65, 2, 80, 1, -2},
    {700, -1, 2, -1, true, false, false, true, true, "Gunshop", 70, 3, 50, 2, -2},
    {1000, -1, -1, 1, true, false, false, true, true, "Carshop", 100, 3, 10, -2, 1},
    {1500, -1, -1, 2, true, false, false, true, true, "Carshop", 50, 2, 80, -2, 2},
    {3000, -1, -1, 4, true, false, false, false, false, "Fort", 90, 3, 50, -2, 4},
    {2500, -1, -1, 3, true, false, false, false, false, "Lab", 90, 2, 50, -2, 3},
    {0, -1, -1, 5, true, false, false, false, false, "Parking", 90, 0, 50, -2, 5},
    {2000, -1, -1, -1, true, false, false, false, false, "Excavation", 90, 0, 50, -2, -1},
    {0, -1, -1, -1, false, true, false, false, false, "RebelHQ", 100, 3, 50, -2, -1},
};

int cityNamed(const Campaign& campaign, const std::string& name)
{
    for (std::size_t i = 1; i < campaign.cities.size(); ++i)
        if (campaign.cities[i].name == name)
            return static_cast<int>(i);
    return -1;
}

struct Counts {
    int cities;
    int districts;
    std::uint32_t seeds; // the larger maps take longer to lay out
};

void PrintTo(const Counts& counts, std::ostream* out)
{
    *out << counts.cities << " cities in " << counts.districts << " districts, " << counts.seeds << " seeds";
}

class CampaignProperties : public testing::TestWithParam<Counts> {};

TEST_P(CampaignProperties, HoldForEverySeed)
{
    const Counts counts = GetParam();
    int seedsWithAClaimedSpaceport = 0;
    for (std::uint32_t seed = 1; seed <= counts.seeds; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const Campaign campaign = laidOut(counts.cities, counts.districts, seed);
        const int n = campaign.numCities;
        const int districts = campaign.numDistricts;
        const auto city = [&campaign](int i) -> const CampaignCity& { return campaign.cities.at(static_cast<std::size_t>(i)); };
        const auto start = [&campaign](int d) { return campaign.districtStart.at(static_cast<std::size_t>(d)); };

        // The objectives' records, and the cities they shape.
        std::map<int, int> shapedBy; // city index -> objective
        for (int k = 1; k <= Campaign::kNumTasks; ++k) {
            const TObjective& o = campaign.objectives.at(static_cast<std::size_t>(k));
            const ObjectiveRow& want = kObjectives[k];
            SCOPED_TRACE("objective " + std::to_string(k));
            EXPECT_EQ(o.reward, want.reward);
            EXPECT_EQ(o.carsToKill, want.carsToKill);
            EXPECT_EQ(o.carsTypeToKill, -1);
            EXPECT_EQ(o.gunToBuy, want.gunToBuy);
            EXPECT_EQ(o.carToBuy, want.carToBuy);
            EXPECT_EQ(o.needLandmark, want.needLandmark);
            EXPECT_EQ(o.found, want.found);
            EXPECT_EQ(o.completed, want.completed);
            const int a = cityNamed(campaign, o.startCity);
            ASSERT_GE(a, 1) << o.startCity;
            const int b = want.destinationIsCity ? cityNamed(campaign, o.destination) : -1;
            if (want.destinationIsCity) {
                ASSERT_GE(b, 1) << o.destination;
            } else {
                EXPECT_EQ(o.destination, "none");
            }
            const int shaped = want.shapesDestination ? b : a;
            if (want.rebels >= 0) {
                EXPECT_TRUE(shapedBy.emplace(shaped, k).second) << "city " << shaped << " is shaped twice";
            }
            const CampaignCity& c = city(shaped);
            if (want.landmark != nullptr) {
                EXPECT_EQ(c.landmark, want.landmark);
            }
            if (want.rebels >= 0) {
                EXPECT_EQ(c.rebels, want.rebels);
            }
            if (want.forcedSize >= 0) {
                EXPECT_EQ(c.forcedSize, want.forcedSize);
                EXPECT_EQ(c.forcedRoadDensity, want.forcedRoadDensity);
            }
            if (want.fakeGun != -2) {
                EXPECT_EQ(c.fakeGunIndex, want.fakeGun);
            }
            if (want.fakeCar != -2) {
                EXPECT_EQ(c.fakeCarIndex, want.fakeCar);
            }
        }
        // The fixed chain's cities: the tutorial in district 1, errands starting at districts 2 to 5's spaceports.
        EXPECT_EQ(cityNamed(campaign, campaign.objectives[2].startCity), 1);
        EXPECT_EQ(cityNamed(campaign, campaign.objectives[2].destination), 2);
        EXPECT_EQ(cityNamed(campaign, campaign.objectives[4].destination), 4);
        EXPECT_EQ(cityNamed(campaign, campaign.objectives[5].destination), 1);
        for (int d = 2; d <= 5; ++d) {
            EXPECT_EQ(cityNamed(campaign, campaign.objectives[static_cast<std::size_t>(d + 4)].startCity), start(d));
            EXPECT_EQ(cityNamed(campaign, campaign.objectives[static_cast<std::size_t>(d + 4)].destination), start(d) + 1);
        }
        // The special places lie outside district 1 (objective 10 may take its last city).
        const int firstDistrict = start(2) - 1;
        for (int k = 10; k <= 13; ++k) {
            const int place = cityNamed(campaign, campaign.objectives[static_cast<std::size_t>(k)].startCity);
            EXPECT_GE(place, k == 10 ? firstDistrict : firstDistrict + 1) << "objective " << k;
            EXPECT_LE(place, n) << "objective " << k;
        }
        EXPECT_EQ(cityNamed(campaign, campaign.objectives[14].startCity), n + 1);

        // Rebel levels: the layout's 30..79 wherever no objective set them.
        for (int i = 1; i <= n; ++i) {
            if (shapedBy.count(i) == 0) {
                EXPECT_GE(city(i).rebels, 30) << "city " << i;
                EXPECT_LE(city(i).rebels, 79) << "city " << i;
            }
        }
        // Each district's first city is its spaceport; objectives 2 and 6 to 9
        // start there, so districts 1 to 5 always keep it. In the others a
        // special place may take it.
        for (int d = 1; d <= districts; ++d) {
            const int first = start(d);
            const auto by = shapedBy.find(first);
            if (d <= 5 || by == shapedBy.end()) {
                EXPECT_EQ(city(first).landmark, "Spaceport") << "district " << d;
            } else {
                ++seedsWithAClaimedSpaceport;
                EXPECT_GE(by->second, 10) << "district " << d;
                EXPECT_LE(by->second, 13) << "district " << d;
            }
            for (int k = first + 1; k < start(d + 1); ++k)
                EXPECT_NE(city(k).landmark, "Spaceport") << "one spaceport in district " << d;
        }

        // Labels: one per city, inside the map, never overlapping, and the
        // name's ink stands in its rectangle in the label's colour.
        ASSERT_EQ(campaign.labels.size(), static_cast<std::size_t>(n));
        for (std::size_t x = 0; x < campaign.labels.size(); ++x) {
            const MapLabel& l = campaign.labels[x];
            ASSERT_EQ(l.city, static_cast<int>(x) + 1);
            EXPECT_GE(l.left, 0);
            EXPECT_LT(l.right, Campaign::kMapWidth);
            EXPECT_GE(l.top, 0);
            EXPECT_LT(l.bottom, Campaign::kMapHeight);
            for (std::size_t y = 0; y < x; ++y) {
                const MapLabel& m = campaign.labels[y];
                EXPECT_TRUE(l.right < m.left || m.right < l.left || l.bottom < m.top || m.bottom < l.top)
                    << "labels of cities " << l.city << " and " << m.city << " overlap";
            }
            // Blue for the districts' spaceports as they stood when the names were drawn (before the objectives).
            const CampaignCity& c = city(l.city);
            const bool firstOfDistrict = c.district > 0 && start(c.district) == l.city;
            const Rgb colour = firstOfDistrict ? Rgb{0, 0, 255} : Rgb{0, 0, 0};
            const Font::Bitmap ink = test::mapFont().render(c.name);
            int inked = 0;
            for (int ty = 0; ty < ink.height && l.top + ty <= l.bottom; ++ty)
                for (int tx = 0; tx < ink.width && l.left + tx <= l.right; ++tx)
                    if (ink.ink[static_cast<std::size_t>(ty * ink.width + tx)] != 0) {
                        ++inked;
                        ASSERT_EQ(campaign.moonMap.pixel(l.left + tx, l.top + ty), colour)
                            << c.name << " at " << l.left + tx << "," << l.top + ty;
                    }
            EXPECT_GT(inked, 0) << c.name;
        }
    }
    EXPECT_GT(seedsWithAClaimedSpaceport, 0) << "some seed lets a special place take a spaceport";
}

INSTANTIATE_TEST_SUITE_P(Counts, CampaignProperties,
                         testing::Values(Counts{30, 6, 150}, Counts{47, 7, 30}, Counts{55, 15, 12}),
                         [](const testing::TestParamInfo<Counts>& info) {
                             return std::to_string(info.param.cities) + "in" + std::to_string(info.param.districts);
                         });

} // namespace
} // namespace vantor
