#include "campaign/CityPipeline.hpp"
#include "cityfiles/CitySaver.hpp"
#include "shell/VantorError.hpp"
#include "wizard/CityEditorModel.hpp"

#include "TestSupport.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <mutex>
#include <string>

namespace vantor {
namespace {

namespace fs = std::filesystem;
using Files = std::map<std::string, std::vector<std::uint8_t>>;

// The settings of a run of cities: every size, the landmarks and mission
// layouts that change the size or the grid, lamps and walls toggled.
struct CitySettings {
    int size;
    LandmarkKind landmark;
    bool landmarkOn;
    int lamps;
    bool walls;
};

constexpr CitySettings kCities[] = {
    {3, LandmarkKind::Spaceport, true, 1, true},  {0, LandmarkKind::Garage, true, 0, false},
    {2, LandmarkKind::Carshop, true, 2, true},    {1, LandmarkKind::Gunshop, false, 3, true},
    {1, LandmarkKind::Lab, true, 1, false},       {3, LandmarkKind::Parking, true, 2, true},
    {0, LandmarkKind::Fort, true, 1, true},       {2, LandmarkKind::Spaceport, true, 1, true},
    {3, LandmarkKind::Excavation, true, 0, true}, {1, LandmarkKind::RebelHQ, true, 3, false},
    {3, LandmarkKind::Garage, false, 1, true},
};

void applySettings(CityEditorModel& editor, const CitySettings& s, int index)
{
    editor.params().cityName = "Town" + std::to_string(index);
    editor.setSizeChoice(s.size);
    editor.setLandmarkKind(s.landmark);
    editor.setLandmarkEnabled(s.landmarkOn);
    editor.setLampChoice(s.lamps);
    editor.params().walls = s.walls;
}

// The files of each city when every city is generated and saved in turn.
Files sequentialFiles(std::uint32_t seed, std::uint32_t& endSeed)
{
    CityEditorModel editor;
    test::attachData(editor);
    RandomSource random(seed);
    NullProgressSink progress;
    Files files;
    for (int i = 0; i < static_cast<int>(std::size(kCities)); ++i) {
        applySettings(editor, kCities[i], i);
        editor.generate(random, progress);
        for (CityPipeline::File& file : CityPipeline::encodeCity(editor.city(), "atlas"))
            files[file.path.filename().string()] = std::move(file.bytes);
    }
    endSeed = random.seed();
    return files;
}

// The same run through the pipeline with `workers` threads.
Files pipelineFiles(std::uint32_t seed, int workers, std::uint32_t& endSeed, std::vector<std::string>* order = nullptr)
{
    CityEditorModel editor;
    test::attachData(editor);
    RandomSource random(seed);
    NullProgressSink progress;
    Files files;
    std::mutex mutex;
    {
        CityPipeline pipeline(editor, ".", [&](const std::vector<CityPipeline::File>& city) {
            const std::lock_guard lock(mutex);
            for (const CityPipeline::File& file : city) {
                files[file.path.filename().string()] = file.bytes;
                if (order != nullptr)
                    order->push_back(file.path.filename().string());
            }
        }, workers);
        for (int i = 0; i < static_cast<int>(std::size(kCities)); ++i) {
            applySettings(editor, kCities[i], i);
            pipeline.submit(random, progress);
        }
        pipeline.finish(progress);
    }
    endSeed = random.seed();
    return files;
}

// Any number of workers gives every file byte for byte as generating and
// saving one city after the other does, and leaves the random source where
// the sequential run leaves it; the files arrive in city order.
TEST(CityPipeline, FilesEqualTheSequentialRunForEveryWorkerCount)
{
    for (const std::uint32_t seed : {1u, 99u, 4000000000u}) {
        std::uint32_t sequentialEnd = 0;
        const Files expected = sequentialFiles(seed, sequentialEnd);
        ASSERT_EQ(expected.size(), 4 * std::size(kCities));
        for (const int workers : {1, 2, 3}) {
            SCOPED_TRACE("seed " + std::to_string(seed) + ", " + std::to_string(workers) + " workers");
            std::uint32_t pipelineEnd = 0;
            std::vector<std::string> order;
            const Files got = pipelineFiles(seed, workers, pipelineEnd, &order);
            EXPECT_EQ(pipelineEnd, sequentialEnd);
            ASSERT_EQ(got.size(), expected.size());
            for (const auto& [name, bytes] : expected)
                EXPECT_TRUE(got.at(name) == bytes) << name;
            ASSERT_EQ(order.size(), expected.size());
            for (std::size_t k = 0; k < order.size(); ++k)
                EXPECT_EQ(order[k].rfind("Town" + std::to_string(k / 4), 0), 0u) << order[k];
        }
    }
}

// The files handed over are the ones the city saver writes.
TEST(CityPipeline, EncodedFilesAreTheSavedFiles)
{
    const test::TempDir dir;
    CityEditorModel editor;
    test::attachData(editor);
    RandomSource random(5);
    NullProgressSink progress;
    editor.generate(random, progress);
    editor.save(dir.path(), progress);
    for (const CityPipeline::File& file : CityPipeline::encodeCity(editor.city(), dir.path() / "atlas")) {
        const std::string text = test::readFile(file.path);
        const std::vector<std::uint8_t> saved(text.begin(), text.end());
        EXPECT_TRUE(saved == file.bytes) << file.path;
    }
}

// A writer that fails stops the run: the failure reaches the caller, later
// cities are never written, and the threads end.
TEST(CityPipeline, AFailedWriteStopsTheRunAndReachesTheCaller)
{
    for (const int workers : {1, 2}) {
        CityEditorModel editor;
        test::attachData(editor);
        RandomSource random(3);
        NullProgressSink progress;
        std::vector<std::string> written;
        std::mutex mutex;
        std::string error;
        try {
            CityPipeline pipeline(editor, ".", [&](const std::vector<CityPipeline::File>& city) {
                const std::lock_guard lock(mutex);
                if (city.front().path.filename() == "Town2.ini")
                    throw VantorError("Cannot write file Town2.ini: No space left on device");
                written.push_back(city.front().path.filename().string());
            }, workers);
            for (int i = 0; i < 8; ++i) {
                applySettings(editor, kCities[static_cast<std::size_t>(i) % std::size(kCities)], i);
                editor.setSizeChoice(0);
                pipeline.submit(random, progress);
            }
            pipeline.finish(progress);
        } catch (const VantorError& e) {
            error = e.what();
        }
        EXPECT_EQ(error, "Cannot write file Town2.ini: No space left on device") << workers;
        EXPECT_EQ(written, (std::vector<std::string>{"Town0.ini", "Town1.ini"})) << workers;
    }
}

// A refused name is refused before the city is placed: the random source
// has not moved.
TEST(CityPipeline, RefusesAnUnsafeNameBeforeDrawing)
{
    CityEditorModel editor;
    test::attachData(editor);
    RandomSource random(8);
    NullProgressSink progress;
    CityPipeline pipeline(editor, ".", [](const std::vector<CityPipeline::File>&) {});
    editor.params().cityName = "../escape";
    EXPECT_THROW(pipeline.submit(random, progress), VantorError);
    EXPECT_EQ(random.seed(), 8u);
}

// ---- Whole campaigns against the files of the one-thread generator --------

// Hashes of every file of the campaign but start.ini, as
// "<name> <hash>\n" lines in name order, hashed again. The values were made
// by the generator that drew, encoded and wrote each city in turn on one
// thread; regenerate them only for an intended change of the output.
std::uint64_t atlasHash(const fs::path& atlas, int& files)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(atlas))
        if (entry.path().filename() != "start.ini" && entry.path().filename() != ".lock") // the writers' lock
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    std::string lines;
    for (const std::string& name : names) {
        char hex[17];
        std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(test::fnv1a(test::readFile(atlas / name))));
        lines += name + " " + hex + "\n";
    }
    files = static_cast<int>(names.size());
    return test::fnv1a(lines);
}

struct CampaignGolden {
    std::vector<std::string> args;
    int files;
    std::uint64_t hash;
};

TEST(CityPipeline, CampaignFilesEqualTheOneThreadGenerator)
{
    const CampaignGolden goldens[] = {
        {{"--seed", "1"}, 125, 0xda478e41d0472eaaull},
        {{"--seed", "7", "--large-cities", "off", "--limited-lights", "on", "--max-house-density", "25"}, 125,
         0x9979a0b6dadf8ef1ull},
        {{"--seed", "4294967295", "--cities", "40", "--districts", "8"}, 165, 0xa16608e463312e06ull},
    };
    for (const CampaignGolden& golden : goldens) {
        const test::TempDir dir;
        test::linkData(dir.path());
        test::writeFile(dir.path() / "config.ini", "[General]\r\nCC=1\r\n");
        std::vector<std::string> args{"campaign", "--root", dir.path().string()};
        args.insert(args.end(), golden.args.begin(), golden.args.end());
        const test::ProcessResult result = test::runCli(args);
        ASSERT_EQ(result.exitCode, 0) << result.output;
        int files = 0;
        EXPECT_EQ(atlasHash(dir.path() / "atlas", files), golden.hash) << golden.args[1];
        EXPECT_EQ(files, golden.files);
    }
}

} // namespace
} // namespace vantor
