#include "wizard/CampaignEditorModel.hpp"

#include "campaign/MoonMap.hpp"

#include <algorithm>

namespace vantor {

void CampaignEditorModel::reset()
{
    asked_ = {kDefaultCities, kDefaultDistricts};
    settings_ = CampaignSettings{};
}

bool CampaignEditorModel::setDistricts(int districts) noexcept
{
    if (districts != kDefaultDistricts && districtsLocked()) {
        asked_.districts = kDefaultDistricts;
        return false;
    }
    asked_.districts = districts;
    return true;
}

std::string_view CampaignEditorModel::districtLockMessage(Language language) noexcept
{
    return tr(language, "You are not allowed to change number of districts until you successfully complete campaign!",
              "Není možné měnit počet distriktů předtím, než dohrajete kampaň!");
}

CampaignEditorModel::Counts CampaignEditorModel::correct(Counts asked) noexcept
{
    // The layout corrects its counts by the same rule; this is it.
    const MoonMap::Counts c = MoonMap::normalise(asked.cities, asked.districts);
    return {c.cities, c.districts};
}

std::string CampaignEditorModel::correctionText(Language language) const
{
    if (!isCorrected())
        return {};
    const Counts c = corrected();
    return std::string(tr(language, "Counts corrected to ", "Počty opraveny na ")) + std::to_string(c.cities) +
           std::string(tr(language, " cities in ", " měst v ")) + std::to_string(c.districts) +
           std::string(tr(language, " districts", " distriktech"));
}

void CampaignEditorModel::setMaxHouseDensity(int density) noexcept
{
    settings_.maxHouseDensity = std::clamp(density, kMinHouseDensity, kMaxHouseDensity);
}

} // namespace vantor
