#pragma once
// Generates a run of cities on every core while keeping the one random
// source's draws in their sequential order.
//
// A city's placement phases are cheap and decide everything the next city's
// draws depend on; its picture phases are costly but draw only noise, whose
// count is known from the size. So submit() runs the placement on the
// calling thread, saves the seed, skips the noise draws, draws the building
// variants and returns, leaving the random source exactly where a full
// Generate would have left it. A worker thread then replays the noise from
// the saved seed, draws the plan, height and ground pictures and the
// shadows in its own pictures (kept for the largest city and reused by every
// city it draws) and formats the description file; the city's pictures then
// wait in the worker's second set for their turn, when the four files go to
// the caller's writer, the pictures encoded as they are written.
//
//   city 1: [place]--submit--> worker A: [noise, ground, shadows] -> write
//   city 2:        [place]--submit--> worker B: [ ... ] -> write
//   city 3:               [place] (waits while two cities are in flight)
//
// The files are byte for byte those of CityEditorModel::generate() followed
// by save(), for any number of workers. The writer is called on a worker
// thread, one city at a time and in submission order; it must not touch the
// editor. Nothing here opens a file.

#include "city/ProgressSink.hpp"
#include "city/RandomSource.hpp"
#include "cityfiles/CitySaver.hpp"
#include "wizard/CityEditorModel.hpp"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace vantor {

class CityPipeline {
public:
    // One finished file: where it goes and its whole content.
    struct File {
        std::filesystem::path path;
        std::vector<std::uint8_t> bytes;
    };
    // Writes one city's files (description file, plan, ground, height), all
    // or none; throws VantorError on failure.
    using Writer = std::function<void(const std::vector<File>& files)>;
    // The same with the files as they are written (CitySaver::OutputFile):
    // the pictures are encoded while the writer writes them.
    using OutputWriter = std::function<void(const std::vector<CitySaver::OutputFile>& files)>;

    // Cities of `editor` go to <programDir>/atlas. The editor's catalogue and
    // ground textures must stay loaded and unchanged while the pipeline
    // lives. workers: threads drawing pictures, at least 1 (default: the
    // cores, at most 2).
    CityPipeline(CityEditorModel& editor, std::filesystem::path programDir, OutputWriter writer, int workers = 0);
    // The same handing each file over whole.
    CityPipeline(CityEditorModel& editor, std::filesystem::path programDir, Writer writer, int workers = 0);
    // Stops: cities not yet written are dropped, running ones end unwritten.
    ~CityPipeline();
    CityPipeline(const CityPipeline&) = delete;
    CityPipeline& operator=(const CityPipeline&) = delete;

    // Generates the editor's current settings as one city: placement here,
    // pictures and files on a worker. Waits (pumping `progress`) while the
    // workers are full. Rethrows a failure of an earlier city.
    void submit(RandomSource& random, ProgressSink& progress);
    // Waits until every submitted city is written (pumping `progress`);
    // rethrows the first failure.
    void finish(ProgressSink& progress);

    // The four files of a generated city, as the city saver writes them.
    static std::vector<File> encodeCity(const CityState& city, const std::filesystem::path& atlas);

private:
    struct Job;
    struct Finished;
    struct Worker;

    void work(Worker& worker);
    void waitUntil(ProgressSink& progress, const std::function<bool()>& ready);
    void stop() noexcept;

    CityEditorModel& editor_;
    std::filesystem::path atlas_;
    OutputWriter writer_;
    std::vector<std::unique_ptr<Worker>> workers_;
    std::vector<std::thread> threads_;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::unique_ptr<Job>> queue_;       // submitted, not yet taken
    std::map<std::uint64_t, Finished*> done_;      // drawn, waiting for their turn
    std::uint64_t submitted_ = 0;
    std::uint64_t written_ = 0; // the city whose turn it is to be written
    bool writing_ = false;
    bool stopping_ = false;
    std::exception_ptr failure_;
};

} // namespace vantor
