#include "city/PlanPicture.hpp"

#include "shell/Canvas.hpp"

namespace vantor {

namespace {

void drawRoads(const CityState& city, Canvas& canvas)
{
    const CityGrid& grid = city.grid;
    const int size = city.params.size();
    canvas.setBrushColor(PlanPicture::kRoad);
    for (int i = 0; i <= size; ++i) {
        for (int j = 0; j <= size; ++j) {
            if (!grid.road(i, j))
                continue;
            const int x = 10 * i;
            const int y = 10 * j;
            if (i > 0 && grid.road(i - 1, j))
                canvas.fillRect(x, y + 2, x + 7, y + 7);
            if (i < size && grid.road(i + 1, j))
                canvas.fillRect(x + 3, y + 2, x + 10, y + 7);
            if (j > 0 && grid.road(i, j - 1))
                canvas.fillRect(x + 2, y, x + 7, y + 7);
            if (j < size && grid.road(i, j + 1))
                canvas.fillRect(x + 2, y + 3, x + 7, y + 10);
        }
    }
}

const Image* hangarIcon(const PictureCatalogue& pictures, float facing)
{
    if (facing == 0.0f)
        return &pictures.picture(Picture::HangarN);
    if (facing == 90.0f)
        return &pictures.picture(Picture::HangarW);
    if (facing == 180.0f)
        return &pictures.picture(Picture::HangarS);
    if (facing == 270.0f)
        return &pictures.picture(Picture::HangarE);
    return nullptr;
}

void drawStructures(const CityState& city, Canvas& canvas)
{
    const PictureCatalogue& pictures = *city.catalogue;
    const int size = city.params.size();
    for (int i = 0; i <= size; ++i) {
        for (int j = 0; j <= size; ++j) {
            const CityCell& cell = city.grid.at(i, j);
            const int x = 10 * i;
            const int y = 10 * j;
            switch (cell.structure) {
            case StructureCode::Hangar:
                if (const Image* icon = hangarIcon(pictures, cell.orientation))
                    canvas.drawImage(x, y, *icon);
                break;
            case StructureCode::Wall:
                canvas.setPenColor(PlanPicture::kWall);
                if (cell.orientation == 0.0f)
                    canvas.rectangle(x, y + 3, x + 10, y + 7);
                else
                    canvas.rectangle(x + 3, y, x + 7, y + 10);
                break;
            case StructureCode::Gate:
                canvas.setPenColor(PlanPicture::kWall);
                canvas.rectangle(x + 1, y + 1, x + 9, y + 9);
                break;
            case StructureCode::House1: canvas.drawImage(x, y, pictures.picture(Picture::House)); break;
            case StructureCode::City1: canvas.drawImage(x, y, pictures.picture(Picture::City)); break;
            case StructureCode::Industrial1: canvas.drawImage(x, y, pictures.picture(Picture::Industrial)); break;
            case StructureCode::Landmark: canvas.drawImage(x, y, pictures.picture(Picture::Landmark)); break;
            case StructureCode::Lamp:
                canvas.setPenColor(PlanPicture::kLamp);
                canvas.line(x + 8, y + 1, x + 9, y + 1);
                break;
            case StructureCode::Pillar: canvas.drawImage(x, y, pictures.picture(Picture::Pillar)); break;
            default: break;
            }
        }
    }
}

void drawHighway(const CityState& city, Canvas& canvas)
{
    const HighwayPlacement& h = city.highway;
    if (!city.params.highway || city.params.size() <= 10 || !h.placed)
        return;
    const PictureCatalogue& pictures = *city.catalogue;
    canvas.drawImage((h.west - 1) * 10, h.row * 10 + 10, pictures.picture(Picture::StairsL));
    canvas.drawImage(h.east * 10, h.row * 10 + 10, pictures.picture(Picture::StairsR));
    canvas.setPenColor(PlanPicture::kDeckOutline);
    canvas.rectangle(h.west * 10 + 10, h.row * 10 + 12, h.east * 10, h.row * 10 + 18);
}

} // namespace

void PlanPicture::clear(CityState& city)
{
    const int side = (city.params.size() + 1) * 10;
    city.planPicture.reuse(side, side, kGround);
}

void PlanPicture::draw(CityState& city)
{
    Canvas canvas(city.planPicture);
    canvas.setPenColor(kBlack);
    drawRoads(city, canvas);
    drawStructures(city, canvas);
    drawHighway(city, canvas);
    if (city.params.landmark && city.landmarkX >= 0) {
        canvas.setFont(&city.catalogue->labelFont());
        canvas.setFontColor(kLamp);
        canvas.textOut(city.landmarkX * 10 + 7, city.landmarkY * 10 + 7, city.params.landmarkName());
    }
}

} // namespace vantor
