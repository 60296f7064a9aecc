#pragma once
// Writes a laid-out campaign into <program directory>/atlas: every campaign
// city (generated through the city editor model, its controls set from the
// city record and the campaign settings), atlas/start.ini and atlas/moon.bmp.
//
// Per city the draws come in this order: size, walls, wall sides (one or
// five), highway, downtown, industrial, lamps, road density, house density,
// hill height; then the generator's own draws.

#include "campaign/Campaign.hpp"
#include "city/ProgressSink.hpp"
#include "city/RandomSource.hpp"
#include "wizard/CityEditorModel.hpp"

#include <filesystem>
#include <functional>
#include <string_view>

namespace vantor {

// Progress of a campaign: the city's task line and bar, the total bar, and
// the user's request to stop (read before each city).
class CampaignProgress : public ProgressSink {
public:
    virtual void setTotalProgress(int percent) = 0;
    virtual bool cancelRequested() = 0;
};

struct CampaignSettings {
    int maxHouseDensity = 70;  // 25..100: house density is drawn in 0..max-1
    bool largeCities = true;   // off: Large cities become Medium (mission layouts excepted)
    bool limitedLights = false; // on: the "Many" lamp choice becomes "Medium"
};

enum class CampaignOutcome {
    Declined,  // a campaign existed and the user kept it: nothing was touched
    Completed, // every city, start.ini and moon.bmp written
    Cancelled, // stopped before a city or before the move into place; the previous campaign is unchanged
};

class CampaignWriter {
public:
    // `askOverwrite` is asked only when a campaign exists (atlas/start.ini
    // or atlas/campaign.ini), while atlas/'s writer lock is held and after
    // an interrupted commit was repaired; false returns Declined with
    // nothing changed. The editor must
    // have its pictures (catalogue and ground textures). The campaign is
    // written into a staging folder inside atlas/ under atlas/'s writer lock
    // and moved into place whole: only the previous campaign's files
    // (start.ini, moon.bmp, the four files of each city its start.ini names,
    // campaign.ini) and the new campaign's own names are replaced; other
    // files stay. Throws VantorError on a file or generation failure, when
    // another Vantor is writing atlas/, or when the campaign cannot fit
    // beside the old one; the previous campaign is then unchanged.
    static CampaignOutcome write(const Campaign& campaign, const CampaignSettings& settings, CityEditorModel& editor,
                                 const std::filesystem::path& programDir, RandomSource& random,
                                 CampaignProgress& progress, const std::function<bool()>& askOverwrite);

    // What the user is told at the end: the status line and the message box text.
    static std::string_view statusText(CampaignOutcome outcome, Language language);
    static std::string_view messageText(CampaignOutcome outcome, Language language);
    static std::string_view overwriteQuestion(Language language);
};

} // namespace vantor
