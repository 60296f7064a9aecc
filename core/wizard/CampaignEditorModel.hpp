#pragma once
// The campaign editor without a window: the numbers of cities and districts
// the player asks for, the rules that correct them, and the performance
// settings. The desktop wizard and `vantor-cli campaign` share it, so both
// correct the same counts the same way.
//
// Rules, in order:
// - districts other than 6 need a finished campaign (the district lock);
// - the cities are kept in 30..55 and the districts in 6..15;
// - then the cities grow until every district has at least five
//   (55 cities in 15 districts become 75).
// Example: 30 cities in 7 districts become 35 cities in 7 districts.

#include "campaign/CampaignWriter.hpp"
#include "shell/Language.hpp"

#include <string>
#include <string_view>

namespace vantor {

class CampaignEditorModel {
public:
    static constexpr int kDefaultCities = 30;
    static constexpr int kDefaultDistricts = 6;
    static constexpr int kMinCities = 30;
    static constexpr int kMaxCities = 55;
    static constexpr int kMinDistricts = 6;
    static constexpr int kMaxDistricts = 15;
    static constexpr int kMinHouseDensity = 25;
    static constexpr int kMaxHouseDensity = 100;

    struct Counts {
        int cities;
        int districts;
        friend bool operator==(const Counts&, const Counts&) = default;
    };

    // campaignCompleted: the game's campaign is finished (CC=1), which
    // lifts the district lock.
    explicit CampaignEditorModel(bool campaignCompleted = false) : campaignCompleted_(campaignCompleted) {}

    // Back to 30 cities in 6 districts and the default settings.
    void reset();

    // What the player asks for; any int is taken (the corrections apply later).
    void setCities(int cities) noexcept { asked_.cities = cities; }
    // Refused (false, the districts stay 6) while the lock holds and the
    // number is not 6.
    bool setDistricts(int districts) noexcept;
    bool districtsLocked() const noexcept { return !campaignCompleted_; }
    static std::string_view districtLockMessage(Language language) noexcept;

    Counts asked() const noexcept { return asked_; }
    // The counts the campaign will have.
    Counts corrected() const noexcept { return correct(asked_); }
    bool isCorrected() const noexcept { return corrected() != asked_; }
    static Counts correct(Counts asked) noexcept;
    // "Counts corrected to 35 cities in 7 districts", or empty when nothing changes.
    std::string correctionText(Language language) const;

    // Max. house density 25..100 (default 70; out of range is clamped),
    // large cities (default on), limited lights (default off).
    void setMaxHouseDensity(int density) noexcept;
    void setLargeCities(bool on) noexcept { settings_.largeCities = on; }
    void setLimitedLights(bool on) noexcept { settings_.limitedLights = on; }
    const CampaignSettings& settings() const noexcept { return settings_; }

private:
    bool campaignCompleted_;
    Counts asked_{kDefaultCities, kDefaultDistricts};
    CampaignSettings settings_;
};

} // namespace vantor
