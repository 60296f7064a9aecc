#pragma once
// The language of every text the user sees: Czech when the configured
// language is exactly "Cze", English otherwise.

#include <string_view>

namespace vantor {

enum class Language { English, Czech };

constexpr Language languageFromSetting(std::string_view setting) noexcept
{
    return setting == "Cze" ? Language::Czech : Language::English;
}

// Picks the text of the language; both forms stand side by side at the call.
constexpr std::string_view tr(Language language, std::string_view english, std::string_view czech) noexcept
{
    return language == Language::Czech ? czech : english;
}

} // namespace vantor
