// The single mission's save under failing file operations: every operation
// of a whole save is failed in turn, and atlas/ must then hold exactly the
// previous files, byte for byte, and nothing else.

#include "cityfiles/CitySaver.hpp"
#include "shell/AtlasDirectory.hpp"
#include "shell/FileLayer.hpp"
#include "wizard/CityEditorModel.hpp"

#include "AtlasSnapshot.hpp"
#include "TestSupport.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

namespace vantor {
namespace {

namespace fs = std::filesystem;

class NullProgress final : public ProgressSink {
public:
    void setTask(std::string_view) override {}
    void setTaskProgress(int) override {}
    void pump() override {}
};

CityState generated(std::uint32_t seed, int sizeChoice)
{
    CityEditorModel editor;
    test::attachData(editor);
    editor.setSizeChoice(sizeChoice);
    RandomSource random(seed);
    NullProgress progress;
    editor.generate(random, progress);
    return editor.city();
}

// Flushing is skipped in these tests (every operation is still counted
// and can fail); it only makes the many runs slow.
struct FaultGuard {
    FaultGuard() { FileFaults::setSyncing(false); }
    ~FaultGuard()
    {
        FileFaults::reset();
        FileFaults::setSyncing(true);
    }
};

class CitySaverFaults : public ::testing::Test {
protected:
    void SetUp() override
    {
        previous_ = generated(1, 0);
        next_ = generated(2, 1);
        makePrevious();
        before_ = test::snapshot(atlas());
        ASSERT_EQ(before_.count("SingleCity.ini"), 1u);
        ASSERT_EQ(before_.count("notes.txt"), 1u);
        // The state a fault-free save leaves: the new four files beside the rest.
        after_ = before_;
        for (const CitySaver::File& f : CitySaver::files(next_))
            after_[f.name] = "file:" + std::string(f.bytes.begin(), f.bytes.end());
        ASSERT_TRUE(after_ != before_);
    }

    fs::path atlas() const { return root_.path() / "atlas"; }

    void makePrevious()
    {
        FileFaults::reset();
        fs::remove_all(atlas());
        NullProgress progress;
        CitySaver::save(previous_, root_.path(), progress);
        test::writeFile(atlas() / "notes.txt", "a modder's notes");
    }

    test::TempDir root_;
    CityState previous_;
    CityState next_;
    test::Snapshot before_;
    test::Snapshot after_;
    FaultGuard guard_;
};

// Fails operation k = 1, 2, ... of the save until a save makes fewer
// operations than k; each failed save must leave the previous files.
TEST_F(CitySaverFaults, EveryFailingOperationLeavesThePreviousFiles)
{
    for (const int error : {EIO, ENOSPC}) {
        long k = 1;
        for (;; ++k) {
            FileFaults::failOperations({k}, error);
            NullProgress progress;
            std::string message;
            std::string czech;
            try {
                CitySaver::save(next_, root_.path(), progress);
            } catch (const VantorError& e) {
                message = e.what();
                czech = e.text(Language::Czech);
            }
            const long made = FileFaults::operationCount();
            FileFaults::reset();
            const test::Snapshot now = test::snapshot(atlas());
            if (!message.empty()) {
                EXPECT_TRUE(now == before_) << test::difference(before_, now) << " k=" << k << " " << message;
                EXPECT_NE(message.find(atlas().string()), std::string::npos) << message;
                EXPECT_NE(message.find(std::strerror(error)), std::string::npos) << message;
                // The desktop program shows the same failure in Czech.
                EXPECT_EQ(czech.rfind("Nelze ", 0), 0u) << czech;
                EXPECT_NE(czech.find(atlas().string()), std::string::npos) << czech;
                continue;
            }
            if (made < k) {
                EXPECT_TRUE(now == after_) << test::difference(after_, now);
                break;
            }
            // A failure after the commit point (deleting a parked old
            // file) is not a failed save: the new files are in place and the
            // leftover goes with the next save.
            EXPECT_TRUE(test::withoutLeftovers(now) == after_)
                << test::difference(after_, test::withoutLeftovers(now)) << "k=" << k;
            NullProgress again;
            CitySaver::save(next_, root_.path(), again);
            EXPECT_TRUE(test::snapshot(atlas()) == after_) << test::difference(after_, test::snapshot(atlas())) << "k=" << k;
            makePrevious();
            ASSERT_TRUE(test::snapshot(atlas()) == before_) << test::difference(before_, test::snapshot(atlas()));
        }
        EXPECT_GT(k, 20) << "a save makes every file's create, write, flush, close and rename";
        makePrevious();
    }
}

// A rename of the commit fails and so does the roll-back's first step
// after it: the journal stays in atlas/, and the next writer to open atlas/
// puts the previous files back.
TEST_F(CitySaverFaults, InterruptedRollBackIsFinishedByTheNextWriter)
{
    // A fault-free save counts the operations: the eight renames (four
    // parked, four moved in), two directory flushes around the journal's
    // removal and the deletion of the four parked files come last.
    FileFaults::reset();
    {
        NullProgress progress;
        CitySaver::save(next_, root_.path(), progress);
    }
    const long total = FileFaults::operationCount();
    makePrevious();
    const long firstRename = total - 14;
    for (long failing = 0; failing < 8; ++failing) {
        FileFaults::failOperations({firstRename + failing, firstRename + failing + 1}, EIO);
        NullProgress progress;
        EXPECT_THROW(CitySaver::save(next_, root_.path(), progress), VantorError);
        FileFaults::reset();
        EXPECT_TRUE(fs::exists(atlas() / ".vantor-journal")) << "rename " << failing;
        {
            AtlasDirectory directory(atlas());
            EXPECT_TRUE(directory.beginWriting());
        }
        EXPECT_TRUE(test::snapshot(atlas()) == before_) << test::difference(before_, test::snapshot(atlas()))
                                                        << " rename " << failing;
    }
}

TEST_F(CitySaverFaults, StopRequestedBeforeTheRenamesChangesNothing)
{
    NullProgress progress;
    EXPECT_THROW(CitySaver::save(next_, root_.path(), progress, [] { return true; }), SaveCancelled);
    EXPECT_TRUE(test::snapshot(atlas()) == before_) << test::difference(before_, test::snapshot(atlas()));
}

TEST_F(CitySaverFaults, SecondWriterIsRefusedWhileTheLockIsHeld)
{
    AtlasDirectory other(atlas());
    other.lock();
    NullProgress progress;
    try {
        CitySaver::save(next_, root_.path(), progress);
        ADD_FAILURE() << "saved while another writer held the lock";
    } catch (const VantorError& e) {
        EXPECT_EQ(std::string(e.what()), "Another Vantor is writing " + atlas().string());
        EXPECT_EQ(e.text(Language::Czech), "Do složky " + atlas().string() + " právě zapisuje jiný Vantor");
    }
    EXPECT_TRUE(test::snapshot(atlas()) == before_) << test::difference(before_, test::snapshot(atlas()));
}

} // namespace
} // namespace vantor
