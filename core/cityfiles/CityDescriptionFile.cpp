#include "cityfiles/CityDescriptionFile.hpp"

#include "shell/IniWriter.hpp"
#include "shell/VantorError.hpp"

#include <array>

namespace vantor {

namespace {

constexpr std::array<std::string_view, 7> kCarNames{"none", "buggy", "rapid", "tractor", "lunochod", "patrol", "police"};

constexpr std::array<std::string_view, 17> kStructureNames{
    "None", "Hangar", "Wall", "Gate", "House1", "House2", "House3", "City1", "City2", "City3",
    "Industrial1", "Industrial2", "Industrial3", "" /* the landmark's own name */, "Lamp", "Stairs", "Pillar"};

class Lines {
public:
    void add(std::string_view key, std::string_view value)
    {
        text_ += key;
        text_ += value;
        text_ += "\r\n";
    }
    void number(std::string_view key, long long value) { add(key, IniWriter::formatInteger(value)); }
    void flag(std::string_view key, bool value) { add(key, value ? "1" : "0"); }
    std::string take() { return std::move(text_); }
    void reserve(std::size_t n) { text_.reserve(n); }

private:
    std::string text_;
};

} // namespace

std::string_view CityDescriptionFile::carName(int fakeCarIndex)
{
    if (fakeCarIndex < -1 || fakeCarIndex > 5)
        throw VantorError("car number " + std::to_string(fakeCarIndex) + " is out of range (-1..5)");
    return kCarNames[static_cast<std::size_t>(fakeCarIndex + 1)];
}

std::string CityDescriptionFile::format(const CityState& city)
{
    const GenerationParams& p = city.params;
    const int size = p.size();
    Lines out;
    out.reserve(static_cast<std::size_t>(size + 1) * static_cast<std::size_t>(size + 1) * 60 + 400);

    out.add("[General]", "");
    out.number("Size=", size);
    out.number("Hillness=", static_cast<long long>(static_cast<double>(p.hillness()) * 100.0));
    out.number("Rebels=", static_cast<long long>(p.rebels()));
    out.flag("Landmark=", p.landmark);
    out.add("Landmark name=", p.landmarkName());
    out.number("Landmark X=", city.landmarkX);
    out.number("Landmark Y=", city.landmarkY);
    out.add("Fakecarname=", carName(p.fakeCarIndex));
    out.number("Fakegunindex=", p.fakeGunIndex);
    out.flag("Hangar NW=", p.hangarNW);
    out.flag("Hangar NE=", p.hangarNE);
    out.flag("Hangar SE=", p.hangarSE);
    out.flag("Hangar SW=", p.hangarSW);

    for (int i = 0; i <= size; ++i) {
        for (int j = 0; j <= size; ++j) {
            const CityCell& cell = city.grid.at(i, j);
            const auto code = static_cast<std::size_t>(cell.structure);
            if (code >= kStructureNames.size())
                throw VantorError("cell [" + std::to_string(i) + "x" + std::to_string(j) + "] holds an unknown structure");
            std::string record(1, '[');
            record.append(IniWriter::formatInteger(i)).append(1, 'x').append(IniWriter::formatInteger(j)).append(1, ']');
            out.add(record, "");
            out.add("Structure=", cell.structure == StructureCode::Landmark ? p.landmarkName() : kStructureNames[code]);
            out.number("Orientation=", static_cast<long long>(cell.orientation));
            out.flag("Road=", cell.road != 0);
        }
    }
    return out.take();
}

} // namespace vantor
