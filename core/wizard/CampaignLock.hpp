#pragma once
// What a finished campaign unlocks (the mission layouts of a single mission,
// a number of districts other than 6) and how a player unlocks it, in the
// player's words: the game marks its campaign as finished with CC=1 in the
// config.ini of its folder, which Vantor reads.

#include "shell/Language.hpp"

#include <string_view>

namespace vantor {

inline std::string_view campaignUnlockHint(Language language) noexcept
{
    return tr(language,
              "Finish the game's campaign to unlock this: the game then writes CC=1 into config.ini in its folder.",
              "Odemkne se dohráním kampaně ve hře: hra pak zapíše CC=1 do souboru config.ini ve své složce.");
}

} // namespace vantor
