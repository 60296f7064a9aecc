// Generation timings. Run: build/release/bench/vantor-bench
#include "city/NoiseTexture.hpp"
#include "shell/PictureCatalogue.hpp"
#include "wizard/CityEditorModel.hpp"

#include <filesystem>

#include <benchmark/benchmark.h>

namespace {

using namespace vantor;

const PictureCatalogue& catalogue()
{
    static const PictureCatalogue loaded = PictureCatalogue::load(VANTOR_BIN_DIR);
    return loaded;
}

CityEditorModel editorWithData()
{
    CityEditorModel editor;
    editor.setCatalogue(catalogue());
    editor.loadGroundTextures(VANTOR_BIN_DIR);
    return editor;
}

// Generate of a Large city with the editor's default options, pictures included.
void BM_GenerateLargeDefaultCity(benchmark::State& state)
{
    CityEditorModel editor = editorWithData();
    RandomSource random(42);
    NullProgressSink progress;
    for (auto _ : state) {
        editor.reset();
        editor.generate(random, progress);
        benchmark::DoNotOptimize(editor.city().grid);
    }
}
BENCHMARK(BM_GenerateLargeDefaultCity)->Unit(benchmark::kMillisecond);

// A Large city generated and saved: SingleCity.ini and its three pictures.
void BM_GenerateAndSaveLargeCity(benchmark::State& state)
{
    CityEditorModel editor = editorWithData();
    RandomSource random(42);
    NullProgressSink progress;
    const auto root = std::filesystem::temp_directory_path() / "vantor-bench";
    std::filesystem::create_directories(root);
    for (auto _ : state) {
        editor.reset();
        editor.generate(random, progress);
        editor.save(root, progress);
    }
    std::filesystem::remove_all(root);
}
BENCHMARK(BM_GenerateAndSaveLargeCity)->Unit(benchmark::kMillisecond);

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
