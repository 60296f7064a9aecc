#include "city/GroundPicture.hpp"

namespace vantor {

void GroundPicture::build(CityState& city, RandomSource& random, ProgressSink& progress)
{
    const int size = city.params.size();
    const int width = (size + 1) * 32;
    if (size > 3) {
        city.dirtMask = city.noise.build(width - 1, random);
        for (int x = 0; x < width; ++x) {
            progress.setTaskProgress(static_cast<int>(static_cast<double>(x) / width * 60 + 10));
            progress.pump();
        }
    }
    for (int i = 0; i <= size; ++i) {
        progress.setTaskProgress(static_cast<int>(static_cast<double>(i) / size * 20 + 70));
        progress.pump();
    }
}

} // namespace vantor
