// The campaign editor's rules: the district lock and the count corrections
// (the table is shared with the command-line test), and the settings' range.

#include "wizard/CampaignCountsTable.hpp"

#include "wizard/CampaignEditorModel.hpp"

#include <gtest/gtest.h>

namespace vantor {
namespace {

class CampaignCounts : public testing::TestWithParam<test::CampaignCountsCase> {};

TEST_P(CampaignCounts, LockAndCorrections)
{
    const test::CampaignCountsCase& c = GetParam();
    CampaignEditorModel model(c.completed);
    EXPECT_EQ(model.districtsLocked(), !c.completed);
    model.setCities(c.cities);
    EXPECT_EQ(model.setDistricts(c.districts), !c.refused);
    if (c.refused) {
        EXPECT_EQ(model.asked().districts, CampaignEditorModel::kDefaultDistricts);
        return;
    }
    const CampaignEditorModel::Counts want{c.wantCities, c.wantDistricts};
    EXPECT_EQ(model.corrected(), want);
    const bool changed = want != CampaignEditorModel::Counts{c.cities, c.districts};
    EXPECT_EQ(model.isCorrected(), changed);
    EXPECT_EQ(model.correctionText(Language::English),
              changed ? "Counts corrected to " + std::to_string(c.wantCities) + " cities in " +
                            std::to_string(c.wantDistricts) + " districts"
                      : "");
    // Corrected counts stay as they are.
    EXPECT_EQ(CampaignEditorModel::correct(want), want);
}

INSTANTIATE_TEST_SUITE_P(Table, CampaignCounts, testing::ValuesIn(test::kCampaignCountsCases),
                         [](const testing::TestParamInfo<test::CampaignCountsCase>& info) { return info.param.name; });

TEST(CampaignEditorModel, SettingsKeepTheirRangeAndResetRestoresDefaults)
{
    CampaignEditorModel model(true);
    for (const auto& [asked, kept] : {std::pair{10, 25}, std::pair{25, 25}, std::pair{100, 100}, std::pair{500, 100}}) {
        model.setMaxHouseDensity(asked);
        EXPECT_EQ(model.settings().maxHouseDensity, kept) << asked;
    }
    model.setLargeCities(false);
    model.setLimitedLights(true);
    model.setCities(50);
    model.setDistricts(10);
    model.reset();
    EXPECT_EQ(model.asked(), (CampaignEditorModel::Counts{30, 6}));
    EXPECT_EQ(model.settings().maxHouseDensity, 70);
    EXPECT_TRUE(model.settings().largeCities);
    EXPECT_FALSE(model.settings().limitedLights);
}

} // namespace
} // namespace vantor
