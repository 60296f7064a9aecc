#pragma once
// Texts of the core (UTF-8) as Qt strings, in the language of the window.

#include "shell/Language.hpp"

#include <QDir>
#include <QString>

#include <filesystem>
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

// A folder as the player knows it: the home folder written "~".
inline QString folderText(const std::filesystem::path& path)
{
    const QString full = QDir::cleanPath(QString::fromStdU16String(path.u16string()));
    const QString home = QDir::cleanPath(QDir::homePath());
    if (home.size() > 1 && (full == home || full.startsWith(home + QLatin1Char('/'))))
        return QStringLiteral("~") + full.mid(home.size());
    return full;
}
