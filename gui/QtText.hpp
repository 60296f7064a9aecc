#pragma once
// Texts of the core (UTF-8) as Qt strings, in the language of the window.

#include "shell/Language.hpp"

#include <QString>

#include <string_view>

inline QString fromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// One entry of a window's text table: English and Czech side by side.
struct WindowText {
    std::string_view english;
    std::string_view czech;
};

inline QString translated(vantor::Language language, const WindowText& text)
{
    return fromUtf8(vantor::tr(language, text.english, text.czech));
}
