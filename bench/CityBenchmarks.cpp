// Generation timings. Run: build/release/bench/vantor-bench
// (whole-process timings of vantor-cli: bench/whole-process.sh)
#include "campaign/CampaignWriter.hpp"
#include "campaign/CityPipeline.hpp"
#include "city/BuildingVariants.hpp"
#include "city/CityGenerator.hpp"
#include "city/GroundPicture.hpp"
#include "city/PlanPicture.hpp"
#include "shell/AtomicFile.hpp"
#include "campaign/MoonMap.hpp"
#include "city/NoiseTexture.hpp"
#include "shell/FileLayer.hpp"
#include "shell/PictureCatalogue.hpp"
#include "wizard/CityEditorModel.hpp"

#include <chrono>
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
BENCHMARK(BM_GenerateLargeDefaultCity)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

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
BENCHMARK(BM_GenerateAndSaveLargeCity)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

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

// A campaign's progress, ignored.
class QuietCampaignProgress final : public CampaignProgress {
public:
    void setTask(std::string_view) override {}
    void setTaskProgress(int) override {}
    void pump() override {}
    void setTotalProgress(int) override {}
    bool cancelRequested() override { return false; }
};

// ---- The parts of one Large city, one at a time -----------------------------
// Together they account for a city's time: placement on the campaign's own
// thread, then the picture phases, encoding and writing on a worker.

// A Large default city placed; its pictures drawn once so later phases have input.
CityEditorModel placedLargeCity(RandomSource& random)
{
    CityEditorModel editor = editorWithData();
    NullProgressSink progress;
    editor.generate(random, progress);
    return editor;
}

void BM_LargeCityPlacement(benchmark::State& state)
{
    CityEditorModel editor = editorWithData();
    RandomSource random(42);
    NullProgressSink progress;
    for (auto _ : state) {
        editor.reset();
        CityGenerator::place(editor.city(), random, progress);
        benchmark::DoNotOptimize(editor.city().grid);
    }
}
BENCHMARK(BM_LargeCityPlacement)->Unit(benchmark::kMillisecond);

void BM_LargeCityPlanAndHeight(benchmark::State& state)
{
    RandomSource random(42);
    CityEditorModel editor = placedLargeCity(random);
    for (auto _ : state) {
        PlanPicture::clear(editor.city());
        PlanPicture::draw(editor.city());
        CityGenerator::buildHeightPicture(editor.city(), random);
    }
}
BENCHMARK(BM_LargeCityPlanAndHeight)->Unit(benchmark::kMillisecond);

// Ground picture: dirt textures, the 1024 x 1024 dirt-mask noise, the mix,
// structure grounds and road tiles.
void BM_LargeCityGround(benchmark::State& state)
{
    RandomSource random(42);
    CityEditorModel editor = placedLargeCity(random);
    NullProgressSink progress;
    for (auto _ : state)
        GroundPicture::build(editor.city(), random, progress);
}
BENCHMARK(BM_LargeCityGround)->Unit(benchmark::kMillisecond);

// Shadows of every structure onto the ground (the variants already drawn).
void BM_LargeCityShadows(benchmark::State& state)
{
    CityEditorModel editor = editorWithData();
    RandomSource random(42);
    NullProgressSink progress;
    CityGenerator::place(editor.city(), random, progress);
    GroundPicture::build(editor.city(), random, progress);
    const CityGrid grid = editor.city().grid;
    const Image ground = editor.city().groundPicture;
    for (auto _ : state) {
        state.PauseTiming();
        editor.city().grid = grid;
        editor.city().groundPicture = ground;
        editor.city().shadeMask.clear();
        state.ResumeTiming();
        BuildingVariants::apply(editor.city(), random, progress);
    }
}
BENCHMARK(BM_LargeCityShadows)->Unit(benchmark::kMillisecond);

// The description file and the three pictures of a Large city, encoded.
void BM_LargeCityEncode(benchmark::State& state)
{
    RandomSource random(42);
    CityEditorModel editor = placedLargeCity(random);
    for (auto _ : state) {
        auto files = CityPipeline::encodeCity(editor.city(), "atlas");
        benchmark::DoNotOptimize(files.data());
    }
}
BENCHMARK(BM_LargeCityEncode)->Unit(benchmark::kMillisecond);

// The four encoded files written (each to a temporary name, then renamed).
void BM_LargeCityWrite(benchmark::State& state)
{
    RandomSource random(42);
    CityEditorModel editor = placedLargeCity(random);
    const auto root = std::filesystem::temp_directory_path() / "vantor-bench-write";
    std::filesystem::create_directories(root / "atlas");
    const auto files = CityPipeline::encodeCity(editor.city(), root / "atlas");
    for (auto _ : state)
        for (const auto& file : files)
            writeFileAtomically(file.path, file.bytes);
    std::filesystem::remove_all(root);
}
BENCHMARK(BM_LargeCityWrite)->Unit(benchmark::kMillisecond);

// Start-up: the picture catalogue with its font, and the two ground textures.
void BM_LoadCatalogue(benchmark::State& state)
{
    for (auto _ : state) {
        PictureCatalogue loaded = PictureCatalogue::load(VANTOR_BIN_DIR);
        benchmark::DoNotOptimize(loaded.complete());
    }
}
BENCHMARK(BM_LoadCatalogue)->Unit(benchmark::kMillisecond);

void BM_LoadGroundTextures(benchmark::State& state)
{
    CityEditorModel editor;
    const int side = static_cast<int>(state.range(0));
    for (auto _ : state)
        editor.loadGroundTextures(VANTOR_BIN_DIR, side);
}
BENCHMARK(BM_LoadGroundTextures)->Arg(128)->Arg(1024)->Unit(benchmark::kMillisecond);

// The default campaign (30 cities and the headquarters) end to end: layout,
// every city generated and saved, start.ini and moon.bmp.
void runDefaultCampaign(benchmark::State& state)
{
    const Font font = MoonMap::loadLabelFont(VANTOR_BIN_DIR);
    const auto names = MoonMap::loadCityNames(std::filesystem::path(VANTOR_BIN_DIR) / "data" / "citynames.txt");
    CityEditorModel editor = editorWithData();
    const auto root = std::filesystem::temp_directory_path() / "vantor-bench-campaign";
    RandomSource random(42);
    double layout = 0;
    QuietCampaignProgress progress;
    for (auto _ : state) {
        std::filesystem::remove_all(root);
        std::filesystem::create_directories(root);
        const auto start = std::chrono::steady_clock::now();
        Campaign campaign;
        campaign.cityNames = names;
        campaign.moonBase = Image(6, 6);
        MoonMap::generateUntilValid(campaign, random, font);
        layout += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        CampaignWriter::write(campaign, CampaignSettings{}, editor, root, random, progress, [] { return true; });
    }
    state.counters["layout_ms"] = layout / static_cast<double>(state.iterations()) * 1000;
    std::filesystem::remove_all(root);
}

void BM_DefaultCampaign(benchmark::State& state)
{
    runDefaultCampaign(state);
}
BENCHMARK(BM_DefaultCampaign)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

// The same without flushing (fdatasync of every file, fsync of atlas/): the
// difference to BM_DefaultCampaign is what flushing costs. Never done outside
// this measurement.
void BM_DefaultCampaignWithoutFlush(benchmark::State& state)
{
    FileFaults::setSyncing(false);
    runDefaultCampaign(state);
    FileFaults::setSyncing(true);
}
BENCHMARK(BM_DefaultCampaignWithoutFlush)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

} // namespace

BENCHMARK_MAIN();
