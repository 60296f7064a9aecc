#include "campaign/MoonMap.hpp"
#include "shell/PictureCatalogue.hpp"
#include "shell/VantorError.hpp"

#include "TestSupport.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace vantor {
namespace {

Campaign laidOut(int cities, int districts, std::uint32_t seed)
{
    return test::laidOutCampaign(seed, cities, districts);
}

// The counts asked for, and the layout they give: when the cities do not
// divide evenly, the last districts get one city more each.
struct LayoutCase {
    int cities;
    int districts;
    int expectedCities;
    std::vector<int> districtSizes; // district 1 first
};

void PrintTo(const LayoutCase& c, std::ostream* out)
{
    *out << c.cities << " cities in " << c.districts << " districts";
}

class MoonMapLayouts : public testing::TestWithParam<LayoutCase> {};

TEST_P(MoonMapLayouts, EveryCityPlacedLinkedAndNamedOnce)
{
    const LayoutCase c = GetParam();
    for (const std::uint32_t seed : {1u, 2u, 3u}) {
        const Campaign campaign = laidOut(c.cities, c.districts, seed);
        const int n = campaign.numCities;
        ASSERT_EQ(n, c.expectedCities);
        ASSERT_EQ(campaign.numDistricts, static_cast<int>(c.districtSizes.size()));
        ASSERT_EQ(campaign.cities.size(), static_cast<std::size_t>(n) + 2);
        // District d holds the cities districtStart[d] .. districtStart[d + 1] - 1.
        std::vector<int> sizes;
        for (int d = 1; d <= campaign.numDistricts; ++d) {
            const int first = campaign.districtStart.at(static_cast<std::size_t>(d));
            const int end = campaign.districtStart.at(static_cast<std::size_t>(d) + 1);
            sizes.push_back(end - first);
            for (int i = first; i < end; ++i)
                EXPECT_EQ(campaign.cities.at(static_cast<std::size_t>(i)).district, d) << "city " << i;
        }
        EXPECT_EQ(sizes, c.districtSizes) << "seed " << seed;
        EXPECT_EQ(campaign.districtStart.at(1), 1);
        std::set<std::string> names;
        for (int i = 1; i <= n; ++i) {
            const CampaignCity& city = campaign.cities[static_cast<std::size_t>(i)];
            EXPECT_GE(city.district, 1) << "city " << i << " is placed";
            EXPECT_FALSE(city.name.empty());
            names.insert(city.name);
            EXPECT_TRUE(city.linkedNW || city.linkedNE || city.linkedSW || city.linkedSE) << "city " << i;
            EXPECT_GE(city.moonX, 0.0f);
            EXPECT_LT(city.moonX, 1.0f);
            EXPECT_LE(std::abs(city.moonY), 0.4f + 1e-6f);
            const struct {
                int neighbour;
                bool linked;
                int CampaignCity::*back;
            } links[] = {{city.neighbourNW, city.linkedNW, &CampaignCity::neighbourSE},
                         {city.neighbourNE, city.linkedNE, &CampaignCity::neighbourSW},
                         {city.neighbourSW, city.linkedSW, &CampaignCity::neighbourNE},
                         {city.neighbourSE, city.linkedSE, &CampaignCity::neighbourNW}};
            for (const auto& link : links) {
                EXPECT_EQ(link.linked, link.neighbour != -1);
                if (link.neighbour == -1)
                    continue;
                const CampaignCity& other = campaign.cities.at(static_cast<std::size_t>(link.neighbour));
                EXPECT_EQ(other.*link.back, i) << "links are symmetric";
                EXPECT_EQ(other.district, city.district) << "links stay inside a district";
            }
        }
        EXPECT_EQ(names.size(), static_cast<std::size_t>(n));
        const CampaignCity& hq = campaign.cities.back();
        EXPECT_EQ(hq.name, "Rebel Headquarters");
        EXPECT_EQ(hq.landmark, "RebelHQ");
        EXPECT_EQ(hq.neighbourNW + hq.neighbourNE + hq.neighbourSW + hq.neighbourSE, -4);
        EXPECT_EQ(campaign.moonMap.width(), 512);
        EXPECT_EQ(campaign.moonMap.height(), 256);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Counts, MoonMapLayouts,
    testing::Values(LayoutCase{30, 6, 30, {5, 5, 5, 5, 5, 5}}, LayoutCase{31, 6, 31, {5, 5, 5, 5, 5, 6}},
                    LayoutCase{35, 6, 35, {5, 6, 6, 6, 6, 6}}, LayoutCase{47, 7, 47, {6, 6, 7, 7, 7, 7, 7}},
                    LayoutCase{44, 8, 44, {5, 5, 5, 5, 6, 6, 6, 6}}, LayoutCase{53, 10, 53, {5, 5, 5, 5, 5, 5, 5, 6, 6, 6}},
                    LayoutCase{55, 15, 75, std::vector<int>(15, 5)}, LayoutCase{20, 3, 30, {5, 5, 5, 5, 5, 5}},
                    LayoutCase{100, 9, 55, {6, 6, 6, 6, 6, 6, 6, 6, 7}}),
    [](const testing::TestParamInfo<LayoutCase>& info) {
        return std::to_string(info.param.cities) + "in" + std::to_string(info.param.districts);
    });

TEST(MoonMap, FirstDistrictIsAChainFromTheNorthWest)
{
    const Campaign campaign = laidOut(30, 6, 9);
    for (int k = 1; k <= 5; ++k) {
        const CampaignCity& city = campaign.cities[static_cast<std::size_t>(k)];
        EXPECT_EQ(city.neighbourNW, k == 1 ? -1 : k - 1);
        EXPECT_EQ(city.neighbourSE, k == 5 ? -1 : k + 1);
        EXPECT_EQ(city.neighbourNE, -1);
        EXPECT_EQ(city.neighbourSW, -1);
    }
    // Which districts keep their spaceport is checked over many seeds in CampaignPropertiesTest.
}

// What the objectives do to their cities is checked over many seeds in CampaignPropertiesTest.

TEST(MoonMap, NameListProblemsAreClearErrors)
{
    test::TempDir dir;
    const auto file = dir.path() / "citynames.txt";
    test::writeFile(file, "Alpha\r\n\r\nBeta\r\nalpha\r\nRebel Headquarters\r\n");
    const auto names = MoonMap::loadCityNames(file);
    EXPECT_EQ(names.size(), 100u);
    EXPECT_EQ(names[0], "Alpha");
    EXPECT_EQ(MoonMap::usableNameCount(names), 2);

    Campaign campaign;
    campaign.cityNames = names;
    campaign.moonBase = Image(6, 6);
    RandomSource random(1);
    try {
        MoonMap::generateUntilValid(campaign, random, test::mapFont());
        FAIL();
    } catch (const VantorError& e) {
        EXPECT_EQ(std::string(e.what()), "data/citynames.txt holds only 2 usable names, 30 are needed");
    }

    test::writeFile(file, "Good\n../../etc/passwd\n");
    try {
        MoonMap::loadCityNames(file);
        FAIL();
    } catch (const VantorError& e) {
        EXPECT_NE(std::string(e.what()).find("citynames.txt, line 2"), std::string::npos) << e.what();
    }
    EXPECT_THROW(MoonMap::loadCityNames(dir.path() / "missing.txt"), VantorError);
}

} // namespace
} // namespace vantor
