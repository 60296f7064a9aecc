// The commit journal as the recovery reads it: a journal that is torn,
// garbage, of another version or naming unsafe files stops the writer
// before anything is moved or deleted, and the checker reports it; a sound
// one survives its own text.

#include "campaign/AtlasChecker.hpp"
#include "shell/AtlasDirectory.hpp"
#include "shell/VantorError.hpp"

#include "AtlasSnapshot.hpp"
#include "TestSupport.hpp"

#include <gtest/gtest.h>

namespace vantor {
namespace {

namespace fs = std::filesystem;

const std::string kGood = "vantor-journal 1\n"
                          "folder\t.\n"
                          "file\tSingleCity.ini\t.vantor-tmp-AbCdEfGh.SingleCity.ini\t.vantor-old-AbCdEfGh.SingleCity.ini\n"
                          "end\t1\n";

TEST(AtlasJournal, SoundJournalReadsBackAsWritten)
{
    CommitPlan plan;
    plan.folder = ".vantor-staging-AbCdEfGh";
    plan.entries = {{"Lodestar.ini", "", ".vantor-old-12345678.Lodestar.ini"},
                    {"New Haven PLAN.bmp", "New Haven PLAN.bmp", ""},
                    {"start.ini", "start.ini", ".vantor-old-ABCDEFGH.start.ini"}};
    std::string why;
    const std::optional<CommitPlan> read = parseJournal(formatJournal(plan), why);
    ASSERT_TRUE(read) << why;
    EXPECT_EQ(read->folder, plan.folder);
    ASSERT_EQ(read->entries.size(), plan.entries.size());
    for (std::size_t k = 0; k < plan.entries.size(); ++k) {
        EXPECT_EQ(read->entries[k].finalName, plan.entries[k].finalName);
        EXPECT_EQ(read->entries[k].source, plan.entries[k].source);
        EXPECT_EQ(read->entries[k].parked, plan.entries[k].parked);
    }
    EXPECT_TRUE(parseJournal(kGood, why)) << why;
}

// Each damaged journal beside the files an interrupted save leaves: the
// writer refuses, naming the journal and why, and nothing is moved or
// deleted (the parked old file above all); the checker reports it.
TEST(AtlasJournal, DamagedJournalChangesNothing)
{
    const auto replaced = [](std::string_view from, std::string_view to) {
        std::string text = kGood;
        text.replace(text.find(from), from.size(), to);
        return text;
    };
    const struct {
        std::string text;
        const char* why;
    } cases[] = {
        {"", "it is incomplete"},
        {kGood.substr(0, kGood.size() - 1), "it is incomplete"},                 // torn: no last line end
        {kGood.substr(0, kGood.find("end")), "it is incomplete"},                // torn: no end line
        {replaced("end\t1", "end\t2"), "it is incomplete"},                       // an entry missing
        {"\x7f" "ELF garbage\n", "it does not start as a journal"},
        {replaced("vantor-journal 1", "vantor-journal 2"), "it was written by another version of Vantor"},
        {replaced("folder\t.", "folder\t.."), "line 2 does not name the folder"},
        {replaced("file\tSingleCity.ini", "file\t../outside.ini"), "line 3 names a file Vantor does not write"},
        {replaced("file\tSingleCity.ini", "file\t.lock"), "line 3 names a file Vantor does not write"},
        {replaced(".vantor-old-AbCdEfGh", "keep-me.ini"), "line 3 names an unsafe parked file"},
        {replaced(".vantor-tmp-AbCdEfGh.SingleCity.ini", "notes.txt"), "line 3 names an unsafe new file"},
        {replaced("file\t", "fiel\t"), "line 3 is not a file entry"},
    };
    for (const auto& c : cases) {
        test::TempDir root;
        const fs::path atlas = root.path() / "atlas";
        fs::create_directories(atlas / ".vantor-staging-AbCdEfGh");
        test::writeFile(atlas / "SingleCity.ini", "new");
        test::writeFile(atlas / ".vantor-old-AbCdEfGh.SingleCity.ini", "old");
        test::writeFile(atlas / ".vantor-tmp-AbCdEfGh.SingleCityPLAN.bmp", "new plan");
        test::writeFile(atlas / ".vantor-journal", c.text);
        const test::Snapshot before = test::snapshot(atlas);
        std::string message;
        try {
            AtlasDirectory directory(atlas);
            directory.beginWriting();
        } catch (const VantorError& e) {
            message = e.what();
        }
        EXPECT_NE(message.find("The save journal " + (atlas / ".vantor-journal").string() + " cannot be used (" +
                               c.why),
                  std::string::npos)
            << message;
        test::Snapshot now = test::snapshot(atlas);
        now.erase(".lock");
        EXPECT_TRUE(now == before) << c.why << test::difference(before, now);
        const AtlasReport report = AtlasChecker::check(root.path());
        ASSERT_FALSE(report.findings.empty());
        const std::string& finding = report.findings[0];
        EXPECT_EQ(finding.rfind("atlas/.vantor-journal: a save was interrupted and its journal cannot be used (", 0), 0u)
            << finding;
        EXPECT_NE(finding.find(c.why), std::string::npos) << finding;
    }
}

} // namespace
} // namespace vantor
