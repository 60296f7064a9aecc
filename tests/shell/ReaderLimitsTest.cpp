// The readers at their limits: a city name of 100 characters and one of
// 101, tabs around '=' in config.ini, and config.ini at 1 MiB and a byte over.

#include "campaign/MoonMap.hpp"
#include "cityfiles/CitySaver.hpp"
#include "shell/Config.hpp"
#include "shell/VantorError.hpp"

#include "TestSupport.hpp"

#include <gtest/gtest.h>

namespace vantor {
namespace {

TEST(ReaderLimits, CityNamesUpTo100Characters)
{
    const std::string longest(100, 'a');
    const std::string tooLong(101, 'a');
    EXPECT_NO_THROW(CitySaver::checkCityName(longest));
    EXPECT_THROW(CitySaver::checkCityName(tooLong), VantorError);

    test::TempDir dir;
    const auto file = dir.path() / "citynames.txt";
    test::writeFile(file, "Alpha\r\n" + longest + "\r\n");
    EXPECT_EQ(MoonMap::loadCityNames(file)[1], longest);
    test::writeFile(file, "Alpha\r\n" + longest + "\r\n" + tooLong + "\r\n");
    try {
        MoonMap::loadCityNames(file);
        FAIL() << "a 101-character name must be refused";
    } catch (const VantorError& e) {
        EXPECT_NE(std::string(e.what()).find("citynames.txt, line 3"), std::string::npos) << e.what();
    }
}

TEST(ReaderLimits, ConfigKeysAndValuesMayBeSurroundedByTabs)
{
    test::TempDir root;
    test::writeFile(root.path() / "config.ini", "[General]\r\nCC\t=\t1\r\n\tLanguage =\tCze\t\r\n");
    const Config config = Config::load(root.path());
    EXPECT_TRUE(config.campaignCompleted);
    EXPECT_EQ(config.language(), Language::Czech);
}

TEST(ReaderLimits, ConfigUpTo1MiB)
{
    test::TempDir root;
    const std::string head = "[General]\r\nCC=1\r\n;";
    std::string text = head + std::string((1u << 20) - head.size() - 2, 'x') + "\r\n";
    ASSERT_EQ(text.size(), 1u << 20);
    test::writeFile(root.path() / "config.ini", text);
    EXPECT_TRUE(Config::load(root.path()).campaignCompleted);

    text.insert(text.size() - 2, "x");
    test::writeFile(root.path() / "config.ini", text);
    try {
        Config::load(root.path());
        FAIL() << "a config.ini over 1 MiB must be refused";
    } catch (const VantorError& e) {
        EXPECT_NE(std::string(e.what()).find("config.ini"), std::string::npos) << e.what();
    }
}

} // namespace
} // namespace vantor
