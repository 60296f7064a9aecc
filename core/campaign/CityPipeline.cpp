#include "campaign/CityPipeline.hpp"

#include "city/BuildingVariants.hpp"
#include "city/CityGenerator.hpp"
#include "cityfiles/CityDescriptionFile.hpp"
#include "cityfiles/CitySaver.hpp"
#include "shell/BmpFile.hpp"
#include "shell/ParallelRun.hpp"
#include "shell/VantorError.hpp"

#include <chrono>

namespace vantor {

namespace {

// Cities in flight beyond one per worker: enough that a worker never waits
// for the next placement.
constexpr std::uint64_t kQueuedBeyondWorkers = 1;

// How often a waiting caller pumps its progress sink.
constexpr auto kPumpInterval = std::chrono::milliseconds(20);

} // namespace

// One placed city: what the picture phases read, and where its draws start.
struct CityPipeline::Job {
    std::uint64_t index = 0;
    GenerationParams params;
    CityGrid grid;
    int landmarkX = -1;
    int landmarkY = -1;
    HighwayPlacement highway;
    std::uint32_t noiseSeed = 0;
    std::vector<StructureCode> variants;
};

// A drawn city's pictures waiting for their turn to be written, and its
// files pointing at them.
struct CityPipeline::Finished {
    Image plan;
    Image ground;
    Image height;
    std::vector<CitySaver::OutputFile> files;
    bool waiting = false; // handed over, not yet written
};

// A worker's own city and a second set of its three pictures: a drawn city's
// pictures move there to wait for their turn while the next city is drawn.
// Both sets, the noise and the shade mask are reused city after city.
struct CityPipeline::Worker {
    CityState city;
    Finished finished;
};

CityPipeline::CityPipeline(CityEditorModel& editor, std::filesystem::path programDir, Writer writer, int workers)
    : CityPipeline(
          editor, programDir,
          [this, write = std::move(writer)](const std::vector<CitySaver::OutputFile>& files) {
              std::vector<File> whole;
              for (const CitySaver::OutputFile& file : files)
                  whole.push_back({atlas_ / file.name, file.bytes()});
              write(whole);
          },
          workers)
{
}

CityPipeline::CityPipeline(CityEditorModel& editor, std::filesystem::path programDir, OutputWriter writer, int workers)
    : editor_(editor), atlas_(std::move(programDir) / "atlas"), writer_(std::move(writer))
{
    const CityState& source = editor.city();
    if (source.catalogue == nullptr)
        throw VantorError("Cannot generate: the picture catalogue is not loaded");
    source.catalogue->requireComplete();
    if (source.dirt1.empty() || source.dirt2.empty())
        throw VantorError("Cannot generate: data/dirt1.bmp and data/dirt2.bmp are not loaded");

    const int count = workers > 0 ? workers : pictureThreads();
    for (int i = 0; i < count; ++i) {
        auto worker = std::make_unique<Worker>();
        worker->city.catalogue = source.catalogue;
        worker->city.language = source.language;
        // The cities themselves run side by side; one noise thread each
        // unless there is only one worker.
        worker->city.noise.setThreadCount(count == 1 ? pictureThreads() : 1);
        workers_.push_back(std::move(worker));
    }
    for (auto& worker : workers_)
        threads_.emplace_back([this, w = worker.get()] { work(*w); });
}

CityPipeline::~CityPipeline()
{
    stop();
}

void CityPipeline::stop() noexcept
{
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
        queue_.clear();
    }
    changed_.notify_all();
    for (std::thread& thread : threads_)
        if (thread.joinable())
            thread.join();
}

void CityPipeline::waitUntil(ProgressSink& progress, const std::function<bool()>& ready)
{
    for (;;) {
        {
            std::unique_lock lock(mutex_);
            if (changed_.wait_for(lock, kPumpInterval, ready))
                return;
        }
        progress.pump();
    }
}

void CityPipeline::submit(RandomSource& random, ProgressSink& progress)
{
    {
        const std::lock_guard lock(mutex_);
        if (failure_)
            std::rethrow_exception(failure_);
    }
    CityState& city = editor_.city();
    CitySaver::checkCityName(city.params.cityName);

    // The draws of a whole Generate, in order: placement, the noise
    // (skipped here, replayed by the worker), the building variants.
    CityGenerator::place(city, random, progress);
    auto job = std::make_unique<Job>();
    job->noiseSeed = random.seed();
    random.skip(CityGenerator::noiseDrawCount(city));
    job->variants = BuildingVariants::drawVariants(city, random);
    job->params = city.params;
    job->grid = city.grid;
    job->landmarkX = city.landmarkX;
    job->landmarkY = city.landmarkY;
    job->highway = city.highway;

    const auto limit = static_cast<std::uint64_t>(workers_.size()) + kQueuedBeyondWorkers;
    waitUntil(progress, [&] { return failure_ || submitted_ - written_ < limit; });
    {
        const std::lock_guard lock(mutex_);
        if (failure_)
            std::rethrow_exception(failure_);
        job->index = submitted_++;
        queue_.push_back(std::move(job));
    }
    changed_.notify_all();
}

void CityPipeline::finish(ProgressSink& progress)
{
    waitUntil(progress, [&] { return failure_ || written_ == submitted_; });
    std::exception_ptr failure;
    {
        const std::lock_guard lock(mutex_);
        failure = failure_;
    }
    stop();
    if (failure)
        std::rethrow_exception(failure);
}

void CityPipeline::work(Worker& worker)
{
    const CityState& source = editor_.city();
    NullProgressSink quiet;
    for (;;) {
        std::unique_ptr<Job> job;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
            if (stopping_)
                return;
            job = std::move(queue_.front());
            queue_.pop_front();
        }

        std::vector<CitySaver::OutputFile> files;
        try {
            CityState& city = worker.city;
            city.params = job->params;
            city.grid = job->grid;
            // Placement clears the shade mask and nothing marks it before
            // the shadows do, so the worker's own cleared mask is the same.
            city.shadeMask.clear();
            city.landmarkX = job->landmarkX;
            city.landmarkY = job->landmarkY;
            city.highway = job->highway;
            RandomSource noiseRandom(job->noiseSeed);
            // The editor's textures are only read, by every worker at once.
            CityGenerator::drawPictures(city, source.dirt1, source.dirt2, noiseRandom, job->variants, quiet);
            files = CitySaver::outputFiles(city);
        } catch (...) {
            {
                const std::lock_guard lock(mutex_);
                if (!failure_)
                    failure_ = std::current_exception();
            }
            changed_.notify_all();
            continue;
        }

        // The pictures move to the worker's second set (its previous city
        // there written first), and the city waits for its turn.
        std::unique_lock lock(mutex_);
        Finished& finished = worker.finished;
        changed_.wait(lock, [&] { return stopping_ || failure_ || !finished.waiting; });
        if (stopping_ || failure_)
            continue;
        CityState& city = worker.city;
        std::swap(finished.plan, city.planPicture);
        std::swap(finished.ground, city.groundPicture);
        std::swap(finished.height, city.heightPicture);
        for (CitySaver::OutputFile& file : files) {
            if (file.picture == &city.planPicture)
                file.picture = &finished.plan;
            else if (file.picture == &city.groundPicture)
                file.picture = &finished.ground;
            else if (file.picture == &city.heightPicture)
                file.picture = &finished.height;
        }
        finished.files = std::move(files);
        finished.waiting = true;
        done_.emplace(job->index, &finished);

        // Whichever worker finds the next city ready writes it (and any that
        // follow), in submission order.
        if (writing_) {
            lock.unlock();
            changed_.notify_all();
            continue;
        }
        writing_ = true;
        while (!stopping_ && !failure_) {
            const auto next = done_.find(written_);
            if (next == done_.end())
                break;
            Finished& ready = *next->second;
            done_.erase(next);
            lock.unlock();
            try {
                writer_(ready.files);
            } catch (...) {
                lock.lock();
                if (!failure_)
                    failure_ = std::current_exception();
                break;
            }
            lock.lock();
            ready.waiting = false;
            ++written_;
            changed_.notify_all();
        }
        writing_ = false;
        lock.unlock();
        changed_.notify_all();
    }
}

std::vector<CityPipeline::File> CityPipeline::encodeCity(const CityState& city, const std::filesystem::path& atlas)
{
    std::vector<File> files;
    for (CitySaver::File& file : CitySaver::files(city))
        files.push_back({atlas / file.name, std::move(file.bytes)});
    return files;
}

} // namespace vantor
