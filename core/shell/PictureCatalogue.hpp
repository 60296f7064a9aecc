#pragma once
// The pictures every city is drawn from: plan icons, 32 x 32 road tiles,
// ground patches and shadow masks, loaded from data/ in a fixed order, and
// the label font. Loading stops at the first picture that cannot be read;
// the catalogue then stays incomplete and refuses to serve a generation,
// naming what is missing, rather than draw from pictures that are not there.

#include "shell/Font.hpp"
#include "shell/Image.hpp"

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace vantor {

// The catalogue's entries in loading order.
enum class Picture : int {
    HangarN, HangarW, HangarS, HangarE, House, City, Industrial, Landmark, StairsL, StairsR, Pillar,
    RoadNESW, RoadNEW, RoadNES, RoadESW, RoadNSW, RoadNS, RoadEW, RoadNE, RoadES, RoadSW, RoadNW,
    RoadN, RoadE, RoadS, RoadW,
    CarshopGround, HouseGround,
    StairsShadow, PillarShadow, GateShadow, WallNSShadow, WallEWShadow, House1Shadow,
    City1Shadow, City2Shadow, City3Shadow, SpaceportShadow,
    House2NShadow, House2EShadow, House2SShadow, House2WShadow,
    Industrial1NShadow, Industrial1EShadow, Industrial1SShadow, Industrial1WShadow,
    Industrial2NShadow, Industrial2EShadow, Industrial3Shadow,
    GarageShadow, HangarShadow, CarshopShadow,
};

inline constexpr int kPictureCount = 52;

class PictureCatalogue {
public:
    // File names relative to the program directory, in loading order.
    static const std::array<std::string_view, kPictureCount>& fileNames();
    static constexpr std::string_view kFontFile = "data/DejaVuSans.ttf";

    // Loads every picture from <programDir>/data, then the label font. Never
    // throws: the first failure is kept in error() ("Cannot open file
    // data/roadNS.bmp", "Bitmap image is not valid: ...") and the rest is
    // not loaded.
    static PictureCatalogue load(const std::filesystem::path& programDir);

    bool complete() const noexcept { return loaded_ == kPictureCount && font_.has_value(); }
    // The error of the failed load, empty when complete.
    const std::string& error() const noexcept { return error_; }
    // Throws VantorError naming the first missing picture unless complete.
    void requireComplete() const;

    // An entry; only valid while complete() (empty picture otherwise).
    const Image& picture(Picture which) const noexcept { return pictures_[static_cast<std::size_t>(which)]; }
    const Font& labelFont() const { return *font_; }

    // Replaces one entry, as a modder's picture would; for tools and tests.
    void replace(Picture which, Image image) { pictures_[static_cast<std::size_t>(which)] = std::move(image); }

private:
    std::array<Image, kPictureCount> pictures_;
    int loaded_ = 0;
    std::optional<Font> font_;
    std::string error_;
};

} // namespace vantor
