#include "city/BuildingVariants.hpp"

namespace vantor {

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

void BuildingVariants::apply(CityState& city, RandomSource& random, ProgressSink& progress)
{
    const int size = city.params.size();
    for (int i = 0; i <= size; ++i) {
        progress.setTaskProgress(static_cast<int>(static_cast<double>(i) / size * 10 + 90));
        progress.pump();
        for (int j = 0; j <= size; ++j) {
            CityCell& cell = city.grid.at(i, j);
            cell.structure = drawVariant(cell.structure, random);
        }
    }
}

} // namespace vantor
