#include "shell/PictureCatalogue.hpp"
#include "platform/Platform.hpp"

#include "shell/BmpFile.hpp"
#include "shell/VantorError.hpp"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

namespace vantor {

// One picture: its file, checked by load(), and the pixels once decoded.
// A mutex and a flag rather than std::call_once: with mingw's threads a
// call_once whose function threw never returns on the next call, and a
// picture broken on disk must fail each time it is asked for, not hang.
struct PictureCatalogue::Entry {
    std::filesystem::path file; // empty: not checked (the load failed before it)
    std::atomic<bool> decoded{false};
    std::mutex decoding;
    Image image;
};

PictureCatalogue::PictureCatalogue() : entries_(std::make_unique<std::array<Entry, kPictureCount>>()) {}
PictureCatalogue::~PictureCatalogue() = default;
PictureCatalogue::PictureCatalogue(PictureCatalogue&&) noexcept = default;
PictureCatalogue& PictureCatalogue::operator=(PictureCatalogue&&) noexcept = default;

const Image& PictureCatalogue::picture(Picture which) const
{
    Entry& entry = (*entries_)[static_cast<std::size_t>(which)];
    if (entry.file.empty() || entry.decoded.load(std::memory_order_acquire))
        return entry.image;
    const std::lock_guard<std::mutex> lock(entry.decoding);
    if (!entry.decoded.load(std::memory_order_relaxed)) {
        entry.image = BmpFile::read(entry.file); // a throw leaves it to be tried again
        entry.decoded.store(true, std::memory_order_release);
    }
    return entry.image;
}

void PictureCatalogue::replace(Picture which, Image image)
{
    Entry& entry = (*entries_)[static_cast<std::size_t>(which)];
    const std::lock_guard<std::mutex> lock(entry.decoding);
    entry.image = std::move(image);
    entry.decoded.store(true, std::memory_order_release); // nothing left to decode
}

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
            // Native separators, so that a message names the file as the system writes it.
            const std::filesystem::path file = (programDir / name).make_preferred();
            const BmpFile::Sides sides = BmpFile::readSides(file);
            decodedBytes += static_cast<std::uint64_t>(sides.width) * static_cast<std::uint64_t>(sides.height) * 3;
            if (decodedBytes > kMaxDecodedBytes)
                throw VantorError(VantorError::Kind::DataTooLarge, platform::utf8(file), "256 MiB");
            (*catalogue.entries_)[static_cast<std::size_t>(catalogue.loaded_)].file = file;
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
