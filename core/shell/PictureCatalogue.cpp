#include "shell/PictureCatalogue.hpp"

#include "shell/BmpFile.hpp"
#include "shell/VantorError.hpp"

#include <cstdint>
#include <memory>

namespace vantor {

const std::array<std::string_view, kPictureCount>& PictureCatalogue::fileNames()
{
    static constexpr std::array<std::string_view, kPictureCount> kNames{
        "data/hangarN.bmp",           "data/hangarW.bmp",           "data/hangarS.bmp",
        "data/hangarE.bmp",           "data/house.bmp",             "data/city.bmp",
        "data/industrial.bmp",        "data/landmark.bmp",          "data/stairsL.bmp",
        "data/stairsR.bmp",           "data/pillar.bmp",            "data/roadNESW.bmp",
        "data/roadNEW.bmp",           "data/roadNES.bmp",           "data/roadESW.bmp",
        "data/roadNSW.bmp",           "data/roadNS.bmp",            "data/roadEW.bmp",
        "data/roadNE.bmp",            "data/roadES.bmp",            "data/roadSW.bmp",
        "data/roadNW.bmp",            "data/roadN.bmp",             "data/roadE.bmp",
        "data/roadS.bmp",             "data/roadW.bmp",             "data/carshopground.bmp",
        "data/houseground.bmp",       "data/stairsshadow.bmp",      "data/pillarshadow.bmp",
        "data/gateshadow.bmp",        "data/wallNSshadow.bmp",      "data/wallEWshadow.bmp",
        "data/house1shadow.bmp",      "data/city1shadow.bmp",       "data/city2shadow.bmp",
        "data/city3shadow.bmp",       "data/spaceportshadow.bmp",   "data/house2Nshadow.bmp",
        "data/house2Eshadow.bmp",     "data/house2Sshadow.bmp",     "data/house2Wshadow.bmp",
        "data/industrial1Nshadow.bmp", "data/industrial1Eshadow.bmp", "data/industrial1Sshadow.bmp",
        "data/industrial1Wshadow.bmp", "data/industrial2Nshadow.bmp", "data/industrial2Eshadow.bmp",
        "data/industrial3shadow.bmp", "data/garageshadow.bmp",      "data/hangarshadow.bmp",
        "data/carshopshadow.bmp"};
    return kNames;
}

PictureCatalogue PictureCatalogue::load(const std::filesystem::path& programDir)
{
    PictureCatalogue catalogue;
    std::uint64_t decodedBytes = 0;
    try {
        for (const std::string_view name : fileNames()) {
            Image image = BmpFile::read(programDir / name);
            decodedBytes += static_cast<std::uint64_t>(image.width()) * static_cast<std::uint64_t>(image.height()) * 3;
            if (decodedBytes > kMaxDecodedBytes)
                throw VantorError(VantorError::Kind::DataTooLarge, (programDir / name).string(), "256 MiB");
            catalogue.pictures_[static_cast<std::size_t>(catalogue.loaded_)] = std::move(image);
            ++catalogue.loaded_;
        }
        catalogue.font_.emplace(programDir / kFontFile);
    } catch (const VantorError& e) {
        catalogue.error_ = e.what();
        catalogue.failure_ = std::make_shared<const VantorError>(e);
    }
    return catalogue;
}

std::string PictureCatalogue::errorText(Language language) const
{
    return failure_ ? failure_->text(language) : std::string();
}

void PictureCatalogue::requireComplete() const
{
    if (complete())
        return;
    const std::string file = loaded_ < kPictureCount ? std::string(fileNames()[static_cast<std::size_t>(loaded_)])
                                                     : std::string(kFontFile);
    if (!failure_)
        throw VantorError(VantorError::Kind::DataMissing, file);
    throw VantorError::dataFile(file, *failure_);
}

} // namespace vantor
