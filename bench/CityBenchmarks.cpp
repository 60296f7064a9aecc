// Generation timings. Run: build/release/bench/vantor-bench
#include "city/NoiseTexture.hpp"
#include "wizard/CityEditorModel.hpp"

#include <benchmark/benchmark.h>

namespace {

using namespace vantor;

// Generate of a Large city with the editor's default options.
void BM_GenerateLargeDefaultCity(benchmark::State& state)
{
    CityEditorModel editor;
    RandomSource random(42);
    NullProgressSink progress;
    for (auto _ : state) {
        editor.reset();
        editor.generate(random, progress);
        benchmark::DoNotOptimize(editor.city().grid);
    }
}
BENCHMARK(BM_GenerateLargeDefaultCity)->Unit(benchmark::kMillisecond);

// The noise picture of a Large city's dirt mask, 1024 x 1024.
void BM_NoisePicture1024(benchmark::State& state)
{
    NoiseTexture noise;
    RandomSource random(42);
    for (auto _ : state) {
        GreyPicture picture = noise.build(1023, random);
        benchmark::DoNotOptimize(picture.values.data());
    }
}
BENCHMARK(BM_NoisePicture1024)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
