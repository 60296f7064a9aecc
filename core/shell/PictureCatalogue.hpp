#pragma once
// The pictures every city is drawn from: plan icons, 32 x 32 road tiles,
// ground patches and shadow masks, loaded from data/ in a fixed order, and
// the label font. Loading checks every picture's headers and stops at the
// first picture that cannot be read; the catalogue then stays incomplete and
// refuses to serve a generation, naming what is missing, rather than draw
// from pictures that are not there. A picture's pixels are decoded the first
// time a city asks for it, so a small city does not pay for the pictures
// only a large one uses.
// Memory is bounded: each picture is at most BmpFile::kMaxReadSide pixels a
// side, and all of them together decode to at most kMaxDecodedBytes (256 MiB;
// the shipped pictures take about 0.2 MiB).

#include "shell/Font.hpp"
#include "shell/Image.hpp"
#include "shell/Language.hpp"
#include "shell/VantorError.hpp"

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
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
    // The most all pictures together may take decoded.
    static constexpr std::uint64_t kMaxDecodedBytes = std::uint64_t{256} << 20;

    PictureCatalogue();
    ~PictureCatalogue();
    PictureCatalogue(PictureCatalogue&&) noexcept;
    PictureCatalogue& operator=(PictureCatalogue&&) noexcept;

    // Checks every picture in <programDir>/data (its headers), then loads
    // the label font. Never throws: the first failure is kept in error()
    // ("Cannot open file data/roadNS.bmp: No such file or directory",
    // "Bitmap image is not valid: ...") and the rest is not loaded.
    static PictureCatalogue load(const std::filesystem::path& programDir);

    bool complete() const noexcept { return loaded_ == kPictureCount && font_.has_value(); }
    // The error of the failed load, empty when complete.
    const std::string& error() const noexcept { return error_; }
    // The same in the language.
    std::string errorText(Language language) const;
    // Throws VantorError unless complete: "Cannot generate: data/roadNS.bmp
    // is missing" only when that file does not exist, otherwise the reason
    // it could not be used.
    void requireComplete() const;

    // An entry; only valid while complete() (empty picture otherwise). Its
    // file is decoded on the first call, once, whichever threads ask at the
    // same time; a file that no longer decodes (changed since load()) throws
    // VantorError naming it, and the next call tries again.
    const Image& picture(Picture which) const;
    const Font& labelFont() const { return *font_; }

    // Replaces one entry, as a modder's picture would; for tools and tests.
    // Not while other threads read the catalogue.
    void replace(Picture which, Image image);

private:
    struct Entry;
    std::unique_ptr<std::array<Entry, kPictureCount>> entries_;
    int loaded_ = 0;
    std::optional<Font> font_;
    std::string error_;
    std::shared_ptr<const VantorError> failure_;
};

} // namespace vantor
