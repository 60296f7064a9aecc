#include "gui/WindowFont.hpp"

#include <QFile>
#include <QFontDatabase>
#include <QString>

namespace {

constexpr const char* kFontFile = "data/DejaVuSans.ttf";
constexpr const char* kFallbackFamily = "DejaVu Sans";
constexpr int kPixelSize = 11;

// The family the registered file gave; empty until a file was registered.
QString& registeredFamily()
{
    static QString family;
    return family;
}

} // namespace

bool registerWindowFont(const std::filesystem::path& programDir)
{
    if (!registeredFamily().isEmpty())
        return true;
    const std::filesystem::path file = programDir / kFontFile;
    const int id = QFontDatabase::addApplicationFont(QFile::decodeName(file.string().c_str()));
    if (id < 0)
        return false;
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    if (families.isEmpty())
        return false;
    registeredFamily() = families.front();
    return true;
}

QFont windowFont()
{
    const QString& family = registeredFamily();
    QFont font(family.isEmpty() ? QString(kFallbackFamily) : family);
    font.setPixelSize(kPixelSize);
    font.setStyleHint(QFont::SansSerif);
    return font;
}
