// Generation timings. Run: build/release/bench/vantor-bench
#include "campaign/CampaignWriter.hpp"
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

// Splits a campaign's time by what the progress reports: placing a city's
// grid (task start to progress 10), drawing its pictures (to the save task)
// and writing its files (to the next city).
class TimingProgress final : public CampaignProgress {
public:
    using Clock = std::chrono::steady_clock;
    enum Stage { None, Placing, Drawing, Writing };

    void setTask(std::string_view text) override
    {
        switch_(text.find("saving") != std::string_view::npos ? Writing : Placing);
    }
    void setTaskProgress(int percent) override
    {
        if (stage_ == Placing && percent >= 10)
            switch_(Drawing);
    }
    void pump() override {}
    void setTotalProgress(int) override {}
    bool cancelRequested() override { return false; }
    void finish() { switch_(None); }

    double seconds[4] = {0, 0, 0, 0};

private:
    void switch_(Stage next)
    {
        const auto now = Clock::now();
        if (stage_ != None)
            seconds[stage_] += std::chrono::duration<double>(now - since_).count();
        stage_ = next;
        since_ = now;
    }
    Stage stage_ = None;
    Clock::time_point since_;
};

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
    TimingProgress progress;
    for (auto _ : state) {
        std::filesystem::remove_all(root);
        std::filesystem::create_directories(root);
        const auto start = TimingProgress::Clock::now();
        Campaign campaign;
        campaign.cityNames = names;
        campaign.moonBase = Image(6, 6);
        MoonMap::generateUntilValid(campaign, random, font);
        layout += std::chrono::duration<double>(TimingProgress::Clock::now() - start).count();
        CampaignWriter::write(campaign, CampaignSettings{}, editor, root, random, progress, [] { return true; });
        progress.finish();
    }
    const double runs = static_cast<double>(state.iterations());
    state.counters["layout_ms"] = layout / runs * 1000;
    state.counters["placing_ms"] = progress.seconds[TimingProgress::Placing] / runs * 1000;
    state.counters["drawing_ms"] = progress.seconds[TimingProgress::Drawing] / runs * 1000;
    state.counters["writing_ms"] = progress.seconds[TimingProgress::Writing] / runs * 1000;
    std::filesystem::remove_all(root);
}

void BM_DefaultCampaign(benchmark::State& state)
{
    runDefaultCampaign(state);
}
BENCHMARK(BM_DefaultCampaign)->Unit(benchmark::kMillisecond);

// The same without flushing (fdatasync of every file, fsync of atlas/): the
// difference to BM_DefaultCampaign is what flushing costs. Never done outside
// this measurement.
void BM_DefaultCampaignWithoutFlush(benchmark::State& state)
{
    FileFaults::setSyncing(false);
    runDefaultCampaign(state);
    FileFaults::setSyncing(true);
}
BENCHMARK(BM_DefaultCampaignWithoutFlush)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
