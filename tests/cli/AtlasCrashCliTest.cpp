// vantor-cli stopped at every step of a commit, the way crash-safe storage is
// tested: the real program is killed (SIGKILL through the file layer's test
// hook) just before and just after the operations of a single-mission save
// and of a campaign, or has one rename fail; the next writer must then find
// exactly the complete previous or the complete new files, byte for byte, and
// no leftover. The exact sequence of operations of both commits is pinned.

#include "AtlasSnapshot.hpp"
#include "GoldenFiles.hpp"
#include "TestSupport.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>

namespace vantor {
namespace {

namespace fs = std::filesystem;

// One recorded file-layer operation: "<number> <kind> <name>".
struct Operation {
    long number = 0;
    std::string kind;
    std::string name;
};

std::vector<Operation> readRecord(const fs::path& file)
{
    std::vector<Operation> out;
    std::istringstream in(test::readFile(file));
    for (std::string line; std::getline(in, line);) {
        Operation op;
        std::istringstream fields(line);
        fields >> op.number >> op.kind;
        std::getline(fields >> std::ws, op.name);
        out.push_back(op);
    }
    return out;
}

// A name with the random part of temporary, staging and parked names
// replaced by '*', and a campaign city's name by <city>.
std::string normalName(std::string name)
{
    for (const std::string prefix : {".vantor-tmp-", ".vantor-staging-", ".vantor-old-"})
        if (name.rfind(prefix, 0) == 0 && name.size() >= prefix.size() + 8)
            return prefix + "*" + (name.size() > prefix.size() + 8 ? normalName(name.substr(prefix.size() + 9)) : "");
    for (const std::string suffix : {".ini", "PLAN.bmp", "GROUND.bmp", "HIGHT.bmp"}) {
        if (name.size() <= suffix.size() || name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
            continue;
        const std::string stem = name.substr(0, name.size() - suffix.size());
        if (stem != "start" && stem != "SingleCity" && stem != "campaign")
            return "<city>" + suffix;
    }
    return name;
}

// The record as lines "<kind> <name>", runs of a repeated block of lines
// folded into one line "(a | b | c) xN", so that a campaign of 31 cities
// reads like a short protocol.
std::string protocol(const std::vector<Operation>& ops)
{
    std::vector<std::string> lines;
    for (const Operation& op : ops) {
        std::string name = op.name;
        if (const std::size_t arrow = name.find(" -> "); arrow != std::string::npos)
            name = normalName(name.substr(0, arrow)) + " -> " + normalName(name.substr(arrow + 4));
        else
            name = normalName(name);
        // A file written piece by piece (a picture streamed from its encoder)
        // is one step: its writes run together.
        if (op.kind == "write" && !lines.empty() && lines.back() == op.kind + " " + name)
            continue;
        lines.push_back(op.kind + " " + name);
        // An old file parked and its new one moved in are one step of the commit.
        const std::size_t n = lines.size();
        const std::string parked = n >= 2 ? lines[n - 2] : std::string();
        if (op.kind == "rename" && parked.find(" -> .vantor-old-*") != std::string::npos &&
            parked.substr(parked.find(" -> ") + 17) == name.substr(name.find(" -> ") + 4)) {
            lines[n - 2] = "park " + parked.substr(7) + ", " + lines.back();
            lines.pop_back();
        }
    }
    for (std::size_t width = 1; width <= 16; ++width) {
        std::vector<std::string> folded;
        for (std::size_t i = 0; i < lines.size();) {
            std::size_t times = 1;
            while (i + (times + 1) * width <= lines.size() &&
                   std::equal(lines.begin() + static_cast<long>(i), lines.begin() + static_cast<long>(i + width),
                              lines.begin() + static_cast<long>(i + times * width)))
                ++times;
            if (times < 2) {
                folded.push_back(lines[i++]);
                continue;
            }
            std::string block = "(";
            for (std::size_t k = 0; k < width; ++k)
                block += (k ? " | " : "") + lines[i + k];
            folded.push_back(block + ") x" + std::to_string(times));
            i += times * width;
        }
        lines = folded;
    }
    std::string out;
    for (const std::string& line : lines)
        out += line + "\n";
    return out;
}

bool killed(const test::ProcessResult& r)
{
    return r.exitCode == -1 || r.exitCode == 128 + 9;
}

class AtlasCrash : public ::testing::Test {
protected:
    void SetUp() override { test::linkData(root_.path()); }

    fs::path atlas() const { return root_.path() / "atlas"; }

    test::ProcessResult run(std::vector<std::string> args, const std::string& hook = {})
    {
        args.insert(args.begin() + 1, {"--root", root_.path().string()});
        // Flushing is skipped (and still counted): a killed process loses
        // nothing the page cache holds, and the many runs stay quick.
        return test::runCli(args, hook.empty() ? hook : "sync=off;" + hook);
    }

    // A campaign, a single mission, a modder's files, and names that differ
    // from the single mission's only in letter case (another file on this
    // file system, which a save must keep).
    void makePlayersAtlas()
    {
        ASSERT_EQ(run({"campaign", "--seed", "5", "--large-cities", "off"}).exitCode, 0);
        ASSERT_EQ(run({"city", "--seed", "4", "--size", "very-small"}).exitCode, 0);
        test::writeFile(atlas() / "notes.txt", "a modder's notes");
        caseMatters_ = test::namesDifferByCase(atlas());
        if (caseMatters_) {
            test::writeFile(atlas() / "singlecity.ini", "another file");
            test::writeFile(atlas() / "SINGLECITYPLAN.bmp", "another picture");
        }
        fs::create_directories(atlas() / "mods");
        test::writeFile(atlas() / "mods" / "readme.txt", "mod");
        before_ = test::snapshot(atlas());
    }

    // Runs `args` once recording its operations; the state it leaves is
    // `after_`, and atlas/ is then put back to `before_`.
    std::vector<Operation> recordCommit(const std::vector<std::string>& args)
    {
        const fs::path record = root_.path() / "record.txt";
        fs::remove(record);
        const test::ProcessResult r = run(args, "record=" + record.string());
        EXPECT_EQ(r.exitCode, 0) << r.output;
        after_ = test::snapshot(atlas());
        test::restore(atlas(), before_);
        return readRecord(record);
    }

    // The number of the first operation of the commit (creating the
    // journal) and of the commit point (removing it).
    static std::pair<long, long> commitRange(const std::vector<Operation>& ops)
    {
        long first = 0;
        long point = 0;
        for (const Operation& op : ops) {
            if (first == 0 && op.kind == "create" && op.name.find(".journal") != std::string::npos)
                first = op.number;
            if (op.kind == "unlink" && op.name == ".vantor-journal")
                point = op.number;
        }
        return {first, point};
    }

    // Kills `args` at `hook`, lets `next` repair, and compares atlas/ with
    // the state the commit point says it must hold; puts `before_` back.
    // With `checkFirst`, `vantor-cli check` reports the interrupted save
    // (and only that) and changes nothing.
    void killAndRepair(const std::vector<std::string>& args, const std::string& hook, bool expectNew,
                       const std::vector<std::string>& next, int nextStatus, bool checkFirst = false)
    {
        const test::ProcessResult r = run(args, hook);
        EXPECT_TRUE(killed(r)) << hook << ": " << r.exitCode << " " << r.output;
        if (checkFirst) {
            const test::Snapshot killedState = test::snapshot(atlas());
            const test::ProcessResult check = run({"check"});
            EXPECT_EQ(check.exitCode, 1);
            EXPECT_EQ(check.output, "atlas/.vantor-journal: a save was interrupted: run 'vantor-cli repair' (or save "
                                    "again) to put the previous files back\natlas/ has 1 problem\n");
            EXPECT_TRUE(test::snapshot(atlas()) == killedState);
        }
        const test::ProcessResult repaired = run(next);
        EXPECT_EQ(repaired.exitCode, nextStatus) << hook << ": " << repaired.output;
        const test::Snapshot now = test::snapshot(atlas());
        const test::Snapshot& expected = expectNew ? after_ : before_;
        EXPECT_TRUE(now == expected) << hook << (expectNew ? " (new)" : " (previous)")
                                     << test::difference(expected, now);
        if (now != before_)
            test::restore(atlas(), before_);
    }

    test::TempDir root_;
    test::Snapshot before_;
    test::Snapshot after_;
    bool caseMatters_ = true;
};

const std::vector<std::string> kSave{"city", "--seed", "6", "--size", "very-small"};
const std::vector<std::string> kCampaign{"campaign", "--seed", "6", "--large-cities", "off", "--overwrite"};

// The operations of a single-mission save over a previous one and of a
// campaign over a previous one, in order: the lock, the recovery check,
// the leftover clean-up, the new files written and flushed, the journal
// written, flushed and moved into place, the directory flushed, each old
// file parked and its new one moved in, the directory flushed, the journal
// removed, the directory flushed, the parked files deleted.
TEST_F(AtlasCrash, GoldenProtocolOfASaveAndACampaign)
{
    makePlayersAtlas();
    const std::vector<Operation> save = recordCommit(kSave);
    EXPECT_EQ(test::compareWithGolden("protocol-single-mission.txt", protocol(save)), "");
    if (caseMatters_)
        EXPECT_TRUE(after_.at("singlecity.ini") == "file:another file" &&
                    after_.at("SINGLECITYPLAN.bmp") == "file:another picture")
            << "a name that differs only in letter case is another file";
    const std::vector<Operation> campaign = recordCommit(kCampaign);
    EXPECT_EQ(test::compareWithGolden("protocol-campaign.txt", protocol(campaign)), "");
}

// Killed before and after every operation from the journal's creation to
// the last: the previous files up to the journal's removal, the new ones
// after it. The next writer is `repair`, or a campaign without --overwrite
// that repairs, finds the campaign and exits 3.
TEST_F(AtlasCrash, SingleMissionKilledAtEveryStepIsRepaired)
{
    makePlayersAtlas();
    const std::vector<Operation> ops = recordCommit(kSave);
    const auto [first, point] = commitRange(ops);
    ASSERT_GT(first, 0);
    ASSERT_GT(point, first);
    const long last = ops.back().number;
    for (long n = first; n <= last; ++n) {
        const bool odd = n % 2 == 1;
        const std::vector<std::string> next = odd ? std::vector<std::string>{"campaign", "--seed", "9"}
                                                  : std::vector<std::string>{"repair"};
        // Before the first file moves, the journal is the only problem.
        killAndRepair(kSave, "kill-before=" + std::to_string(n), n > point, next, odd ? 3 : 0, n == first + 6);
        killAndRepair(kSave, "kill-after=" + std::to_string(n), n >= point, next, odd ? 3 : 0);
    }
}

// The same for a campaign of 31 cities replacing another: every step of
// the journal and around the commit point, and a sample of the 260 renames
// in between (each pair of renames is the same code). The next writer is a
// single-mission save of the same city (its files come out the same), or
// `repair`. A run killed while it stages is cleaned up by a whole campaign.
TEST_F(AtlasCrash, CampaignKilledAtEveryStepIsRepaired)
{
    makePlayersAtlas();
    const std::vector<Operation> ops = recordCommit(kCampaign);
    const auto [first, point] = commitRange(ops);
    ASSERT_GT(first, 0);
    ASSERT_GT(point, first + 200);
    const long last = ops.back().number;
    std::set<long> points{last};
    for (long n = first; n < first + 10; ++n)
        points.insert(n);
    for (long n = point - 2; n <= point + 2; ++n)
        points.insert(n);
    for (long n = first + 10; n < point - 2; n += 53)
        points.insert(n);
    const std::vector<std::string> sameCity{"city", "--seed", "4", "--size", "very-small"};
    for (const long n : points)
        killAndRepair(kCampaign, "kill-before=" + std::to_string(n), n > point, n % 2 ? sameCity : std::vector<std::string>{"repair"}, 0);
    killAndRepair(kCampaign, "kill-after=" + std::to_string(last), true, {"repair"}, 0);

    // Killed while staging (half the cities written): the whole campaign
    // written next removes the staging folder and leaves exactly its files.
    killAndRepair(kCampaign, "kill-before=" + std::to_string(first / 2), true, kCampaign, 0);
}

// Every rename of a single-mission save failing in turn with ENOSPC and
// EIO, and a sample of a campaign's: exit 1 naming the file and the reason,
// the previous files byte for byte, no leftover.
TEST_F(AtlasCrash, EachFailingRenameKeepsThePreviousFiles)
{
    makePlayersAtlas();
    const struct {
        const std::vector<std::string>* args;
        std::size_t stride;
    } commits[] = {{&kSave, 1}, {&kCampaign, 47}};
    for (const auto& commit : commits) {
        const std::vector<Operation> ops = recordCommit(*commit.args);
        std::vector<long> renames;
        for (const Operation& op : ops)
            if (op.kind == "rename")
                renames.push_back(op.number);
        ASSERT_GE(renames.size(), 9u);
        for (std::size_t k = 0; k < renames.size(); ++k) {
            if (k % commit.stride != 0 && k + 2 < renames.size() && k > 2)
                continue;
            for (const auto& [name, error] : {std::pair{"ENOSPC", ENOSPC}, std::pair{"EIO", EIO}}) {
                if (commit.stride > 1 && (k % 2 == 0) != (error == EIO))
                    continue; // a campaign's renames alternate between the two
                const std::string hook = "fail=" + std::to_string(renames[k]) + ":" + name;
                const test::ProcessResult r = run(*commit.args, hook);
                EXPECT_EQ(r.exitCode, 1) << hook << ": " << r.output;
                EXPECT_NE(r.output.find((atlas() / "").string()), std::string::npos) << hook << ": " << r.output;
                EXPECT_NE(r.output.find(std::strerror(error)), std::string::npos) << hook << ": " << r.output;
                const test::Snapshot now = test::snapshot(atlas());
                EXPECT_TRUE(now == before_) << hook << test::difference(before_, now);
                if (now != before_)
                    test::restore(atlas(), before_);
            }
        }
    }
}

} // namespace
} // namespace vantor
