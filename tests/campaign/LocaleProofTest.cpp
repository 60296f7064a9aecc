// The files Vantor writes do not depend on the process locale. The desktop
// program runs in the user's locale (QApplication calls setlocale), so a
// Czech desktop has a decimal comma; the game reads only "0.5". These tests
// write a campaign and a single mission under cs_CZ.UTF-8 and compare the
// bytes with a run in the "C" locale. The locale is part of the test set-up
// (run.sh generates it); a Linux machine without it fails here rather than
// skip. On Windows the Czech locale has its own names ("cs-CZ",
// "Czech_Czechia.1250"); the C++ library there has only the "C" locale, so
// only the C library's locale changes, and a system without any of the names
// skips.

#include "campaign/CampaignWriter.hpp"
#include "campaign/MoonMap.hpp"
#include "shell/Config.hpp"
#include "shell/IniWriter.hpp"

#include "TestSupport.hpp"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <locale>
#include <stdexcept>
#include <map>
#include <sstream>
#include <vector>

namespace vantor {
namespace {

#ifdef _WIN32
const std::vector<const char*> kCommaLocales{"cs-CZ", "Czech_Czechia.1250", "Czech_Czech Republic.1250"};
#else
const std::vector<const char*> kCommaLocales{"cs_CZ.UTF-8"};
#endif
const char* const kCommaLocale = kCommaLocales.front();

// Puts the C library and the C++ global locale into the first of `names`
// that exists for its lifetime, as QApplication does for the C library; back
// to "C" afterwards.
class ScopedGlobalLocale {
public:
    explicit ScopedGlobalLocale(const std::vector<const char*>& names)
    {
        for (const char* name : names) {
            ok_ = std::setlocale(LC_ALL, name) != nullptr;
            if (!ok_)
                continue;
            try {
                std::locale::global(std::locale(name));
                streams_ = true;
            } catch (const std::runtime_error&) {
                // A C++ library with only the "C" locale (mingw-w64's).
            }
            break;
        }
    }
    // Whether C++ streams follow the locale too.
    bool streams() const { return streams_; }
    ~ScopedGlobalLocale()
    {
        std::setlocale(LC_ALL, "C");
        std::locale::global(std::locale::classic());
    }
    ScopedGlobalLocale(const ScopedGlobalLocale&) = delete;
    ScopedGlobalLocale& operator=(const ScopedGlobalLocale&) = delete;
    bool ok() const { return ok_; }

private:
    bool ok_ = false;
    bool streams_ = false;
};

// A missing locale fails on Linux (the test set-up provides it) and skips on
// Windows, which names its locales differently from one version to another.
#ifdef _WIN32
#define REQUIRE_COMMA_LOCALE(scoped) \
    if (!(scoped).ok())              \
    GTEST_SKIP() << "no Czech locale on this system"
#else
#define REQUIRE_COMMA_LOCALE(scoped) ASSERT_TRUE((scoped).ok()) << kCommaLocale << " is not installed"
#endif

using QuietProgress = test::QuietCampaignProgress;

// Every file under atlas/ but the writers' lock file, name -> bytes.
std::map<std::string, std::string> atlasFiles(const std::filesystem::path& root)
{
    std::map<std::string, std::string> files;
    for (const auto& e : std::filesystem::directory_iterator(root / "atlas"))
        if (e.is_regular_file() && e.path().filename() != ".lock")
            files[e.path().filename().string()] = test::readFile(e.path());
    return files;
}

std::map<std::string, std::string> writeCampaign(std::uint32_t seed)
{
    RandomSource random(seed);
    const Campaign campaign = test::laidOutCampaign(random);

    test::TempDir root;
    CityEditorModel editor;
    test::attachData(editor);
    QuietProgress progress;
    const CampaignSettings smallCities{70, false, false};
    EXPECT_EQ(CampaignWriter::write(campaign, smallCities, editor, root.path(), random, progress, [] { return true; }),
              CampaignOutcome::Completed);
    return atlasFiles(root.path());
}

std::map<std::string, std::string> writeSingleMission(std::uint32_t seed)
{
    test::TempDir root;
    CityEditorModel editor;
    test::attachData(editor);
    editor.setSizeChoice(2);
    RandomSource random(seed);
    NullProgressSink progress;
    editor.generate(random, progress);
    editor.save(root.path(), progress);
    return atlasFiles(root.path());
}

TEST(LocaleProof, TheTestLocaleReallyHasADecimalComma)
{
    const ScopedGlobalLocale czech(kCommaLocales);
    REQUIRE_COMMA_LOCALE(czech) << ": run ./run.sh (it generates the locale) or locale-gen " << kCommaLocale;
    // What the program must not use on a file path behaves differently here.
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%.15g", 0.5);
    EXPECT_STREQ(buffer, "0,5");
    if (czech.streams()) {
        std::ostringstream stream;
        stream << 0.5;
        EXPECT_EQ(stream.str(), "0,5");
    }
    // And what it uses does not.
    EXPECT_EQ(IniWriter::formatReal(0.5), "0.5");
    EXPECT_EQ(IniWriter::formatReal(static_cast<double>(0.0333333350718021f)), "0.0333333350718021");
    EXPECT_EQ(IniWriter::formatInteger(-1234567), "-1234567");
}

TEST(LocaleProof, CampaignAndSingleMissionBytesDoNotDependOnTheLocale)
{
    const auto campaignInC = writeCampaign(7);
    const auto missionInC = writeSingleMission(11);
    ASSERT_TRUE(campaignInC.contains("start.ini"));
    ASSERT_NE(campaignInC.at("start.ini").find("MoonX=0."), std::string::npos) << "reals are written in start.ini";

    const ScopedGlobalLocale czech(kCommaLocales);
    REQUIRE_COMMA_LOCALE(czech);
    const auto campaignInCzech = writeCampaign(7);
    const auto missionInCzech = writeSingleMission(11);
    ASSERT_EQ(campaignInCzech.size(), campaignInC.size());
    for (const auto& [name, bytes] : campaignInC)
        EXPECT_TRUE(campaignInCzech.at(name) == bytes) << name << " differs under " << kCommaLocale;
    ASSERT_EQ(missionInCzech.size(), 4u);
    for (const auto& [name, bytes] : missionInC)
        EXPECT_TRUE(missionInCzech.at(name) == bytes) << name << " differs under " << kCommaLocale;
}

TEST(LocaleProof, ConfigIntegersAreReadTheSameUnderADecimalCommaLocale)
{
    const ScopedGlobalLocale czech(kCommaLocales);
    REQUIRE_COMMA_LOCALE(czech);
    for (const char* value : {"0x10", "1", "-7", "$1F"}) {
        test::TempDir root;
        test::writeFile(root.path() / "config.ini", std::string("[General]\r\nCC=") + value + "\r\n");
        EXPECT_TRUE(Config::load(root.path()).campaignCompleted) << value;
    }
    test::TempDir root;
    test::writeFile(root.path() / "config.ini", "[General]\r\nCC=0,5\r\n");
    EXPECT_FALSE(Config::load(root.path()).campaignCompleted) << "not a whole number in any locale";
}

} // namespace
} // namespace vantor
