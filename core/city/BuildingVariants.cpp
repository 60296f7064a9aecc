#include "city/BuildingVariants.hpp"

#include "city/ShadowPainter.hpp"
#include "shell/VantorError.hpp"

namespace vantor {

namespace {

// A shadow mask and where it lies relative to the cell's top-left pixel.
struct ShadowPlacement {
    Picture picture;
    int dx;
    int dy;
};

// The Garage casts the shadow of its own mask, a flat-roofed shed placed
// as a house's shadow is.
constexpr ShadowPlacement kGarageShadow{Picture::GarageShadow, 2, -3};

const ShadowPlacement* houseShadow(StructureCode code, float facing)
{
    static constexpr ShadowPlacement kHouse1{Picture::House1Shadow, 2, -3};
    static constexpr ShadowPlacement kHouse2FacingSouth{Picture::House2EShadow, 0, -5};
    static constexpr ShadowPlacement kHouse2FacingEast{Picture::House2NShadow, 1, -4};
    static constexpr ShadowPlacement kHouse2FacingWest{Picture::House2SShadow, 2, -1};
    static constexpr ShadowPlacement kHouse2FacingNorth{Picture::House2WShadow, 2, -1};
    if (code != StructureCode::House2)
        return &kHouse1;
    if (facing == 180.0f)
        return &kHouse2FacingSouth;
    if (facing == 270.0f)
        return &kHouse2FacingEast;
    if (facing == 90.0f)
        return &kHouse2FacingWest;
    if (facing == 0.0f)
        return &kHouse2FacingNorth;
    return nullptr;
}

const ShadowPlacement* cityShadow(StructureCode code)
{
    static constexpr ShadowPlacement kCity[] = {
        {Picture::City1Shadow, 2, -30}, {Picture::City2Shadow, 2, -27}, {Picture::City3Shadow, 2, -12}};
    return &kCity[static_cast<int>(code) - static_cast<int>(StructureCode::City1)];
}

const ShadowPlacement* industrialShadow(StructureCode code, float facing)
{
    static constexpr ShadowPlacement kFacingSouth{Picture::Industrial1EShadow, 7, -11};
    static constexpr ShadowPlacement kFacingEast{Picture::Industrial1NShadow, 0, -8};
    static constexpr ShadowPlacement kFacingWest{Picture::Industrial1SShadow, 7, -11};
    static constexpr ShadowPlacement kFacingNorth{Picture::Industrial1WShadow, 0, -8};
    static constexpr ShadowPlacement kSecondAcross{Picture::Industrial2NShadow, 18, -2};
    static constexpr ShadowPlacement kSecondAlong{Picture::Industrial2EShadow, 10, 4};
    static constexpr ShadowPlacement kThird{Picture::Industrial3Shadow, 7, -10};
    if (code == StructureCode::Industrial3)
        return &kThird;
    if (code == StructureCode::Industrial2) {
        if (facing == 90.0f || facing == 270.0f)
            return &kSecondAcross;
        if (facing == 0.0f || facing == 180.0f)
            return &kSecondAlong;
        return nullptr;
    }
    if (facing == 180.0f)
        return &kFacingSouth;
    if (facing == 270.0f)
        return &kFacingEast;
    if (facing == 90.0f)
        return &kFacingWest;
    if (facing == 0.0f)
        return &kFacingNorth;
    return nullptr;
}

const ShadowPlacement* landmarkShadow(LandmarkKind kind)
{
    static constexpr ShadowPlacement kSpaceport{Picture::SpaceportShadow, -33, -51};
    static constexpr ShadowPlacement kCarshop{Picture::CarshopShadow, -20, -31};
    static constexpr ShadowPlacement kGunshop{Picture::HangarShadow, 0, -10};
    switch (kind) {
    case LandmarkKind::Spaceport: return &kSpaceport;
    case LandmarkKind::Garage: return &kGarageShadow;
    case LandmarkKind::Carshop: return &kCarshop;
    case LandmarkKind::Gunshop: return &kGunshop;
    default: return nullptr; // the mission layouts' landmarks cast none
    }
}

} // namespace

StructureCode BuildingVariants::drawVariant(StructureCode first, RandomSource& random)
{
    if (first != StructureCode::House1 && first != StructureCode::City1 && first != StructureCode::Industrial1)
        return first;
    const auto base = static_cast<std::uint8_t>(first);
    std::uint8_t code = base;
    if (random.real() < 0.33)
        code = static_cast<std::uint8_t>(base + 1);
    if (random.real() < 0.33)
        code = static_cast<std::uint8_t>(base + 2);
    return static_cast<StructureCode>(code);
}

namespace {

bool hasVariants(StructureCode code) noexcept
{
    return code == StructureCode::House1 || code == StructureCode::City1 || code == StructureCode::Industrial1;
}

} // namespace

void BuildingVariants::apply(CityState& city, RandomSource& random, ProgressSink& progress)
{
    paint(city, drawVariants(city, random), progress);
}

std::vector<StructureCode> BuildingVariants::drawVariants(const CityState& city, RandomSource& random)
{
    std::vector<StructureCode> variants;
    const int size = city.params.size();
    for (int i = 0; i <= size; ++i)
        for (int j = 0; j <= size; ++j)
            if (const StructureCode code = city.grid.structure(i, j); hasVariants(code))
                variants.push_back(drawVariant(code, random));
    return variants;
}

void BuildingVariants::paint(CityState& city, const std::vector<StructureCode>& variants, ProgressSink& progress)
{
    std::size_t nextVariant = 0;
    const auto nextDrawn = [&] {
        if (nextVariant >= variants.size())
            throw VantorError("building variants do not match the city");
        return variants[nextVariant++];
    };
    const PictureCatalogue& pictures = *city.catalogue;
    ShadowPainter painter(city.groundPicture, city.shadeMask, GenerationParams::kShadeFactor);
    const auto cast = [&](const ShadowPlacement* s, int x, int y) {
        if (s != nullptr)
            painter.stamp(pictures.picture(s->picture), x + s->dx, y + s->dy);
    };

    const int size = city.params.size();
    for (int i = 0; i <= size; ++i) {
        progress.setTaskProgress(static_cast<int>(static_cast<double>(i) / size * 10 + 90));
        progress.pump();
        for (int j = 0; j <= size; ++j) {
            CityCell& cell = city.grid.at(i, j);
            const int x = 32 * i;
            const int y = 32 * j;
            switch (cell.structure) {
            case StructureCode::Lamp:
                painter.lampStroke(x, y);
                break;
            case StructureCode::Stairs:
                if (cell.orientation == 270.0f) {
                    painter.stamp(pictures.picture(Picture::StairsShadow), x - 15, y - 16);
                } else if (cell.orientation == 90.0f) {
                    if (city.highway.placed)
                        painter.shadeBlock(32 * city.highway.west + 49, 32 * city.highway.row + 9,
                                           32 * city.highway.east - 1, 32 * city.highway.row + 28);
                    painter.stampTurned(pictures.picture(Picture::StairsShadow), x, y - 73);
                }
                break;
            case StructureCode::Pillar:
                painter.stamp(pictures.picture(Picture::PillarShadow), x + 15, y - 47);
                break;
            case StructureCode::Gate:
                painter.stamp(pictures.picture(Picture::GateShadow), x, y - 20);
                break;
            case StructureCode::Wall:
                if (cell.orientation == 90.0f)
                    painter.stamp(pictures.picture(Picture::WallNSShadow), x + 15, y - 11);
                else if (cell.orientation == 0.0f)
                    painter.stamp(pictures.picture(Picture::WallEWShadow), x, y - 8);
                break;
            case StructureCode::House1:
                cell.structure = nextDrawn();
                cast(houseShadow(cell.structure, cell.orientation), x, y);
                break;
            case StructureCode::City1:
                cell.structure = nextDrawn();
                cast(cityShadow(cell.structure), x, y);
                break;
            case StructureCode::Landmark:
                cast(landmarkShadow(city.params.landmarkKind), x, y);
                break;
            case StructureCode::Hangar:
                painter.stamp(pictures.picture(Picture::HangarShadow), x, y - 10);
                break;
            case StructureCode::Industrial1:
                cell.structure = nextDrawn();
                cast(industrialShadow(cell.structure, cell.orientation), x, y);
                break;
            default:
                break;
            }
        }
    }
}

} // namespace vantor
