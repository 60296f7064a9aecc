#pragma once
// The wording of the campaign's fourteen objectives: a one-line heading and
// a briefing, in English or in Czech (written without diacritics, as the
// game's Czech briefings are), with the names of the objective's cities
// inserted. [A] is the objective's first city, [B] its second.

#include "shell/Language.hpp"

#include <string>
#include <string_view>

namespace vantor {

struct ObjectiveWording {
    std::string heading;
    std::string text;
};

// index 1..14; any other index gives empty texts.
ObjectiveWording objectiveWording(int index, Language language, std::string_view cityA, std::string_view cityB);

} // namespace vantor
