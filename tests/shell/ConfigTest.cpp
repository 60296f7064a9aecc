#include "shell/Config.hpp"
#include "shell/IniFile.hpp"
#include "shell/VantorError.hpp"

#include "TestSupport.hpp"

#include <gtest/gtest.h>

namespace vantor {
namespace {

TEST(Config, CampaignCompletedReadings)
{
    struct Case {
        const char* value;
        bool completed;
    };
    const Case cases[] = {{"1", true},  {"2", true},   {"-1", true}, {"0x10", true}, {"$10", true}, {" 7 ", true},
                          {"0", false}, {"yes", false}, {"", false}, {"0x", false},  {"1.5", false},
                          {"99999999999", false}};
    for (const Case& c : cases) {
        test::TempDir root;
        test::writeFile(root.path() / "config.ini", std::string("[General]\r\nCC=") + c.value + "\r\n");
        EXPECT_EQ(Config::load(root.path()).campaignCompleted, c.completed) << "CC=" << c.value;
    }
}

TEST(Config, LanguageIsCzechOnlyForExactlyCze)
{
    struct Case {
        const char* value;
        Language language;
    };
    for (const Case c : {Case{"Cze", Language::Czech}, Case{"cze", Language::English}, Case{"Czech", Language::English},
                         Case{"Eng", Language::English}}) {
        test::TempDir root;
        test::writeFile(root.path() / "config.ini", std::string("; settings\n[general]\nlanguage = ") + c.value + "\n");
        EXPECT_EQ(Config::load(root.path()).language(), c.language) << c.value;
    }
}

TEST(Config, MissingFileGivesDefaultsAndBrokenFileNamesItself)
{
    test::TempDir root;
    const Config defaults = Config::load(root.path());
    EXPECT_EQ(defaults.languageSetting, "Eng");
    EXPECT_FALSE(defaults.campaignCompleted);

    std::filesystem::create_directory(root.path() / "config.ini");
    try {
        Config::load(root.path());
        FAIL() << "a directory named config.ini must be refused";
    } catch (const VantorError& e) {
        EXPECT_NE(std::string(e.what()).find("config.ini"), std::string::npos);
    }
    std::filesystem::remove(root.path() / "config.ini");
    test::writeFile(root.path() / "config.ini", std::string("[General]\nCC=1\n\0\0garbage", 21));
    EXPECT_THROW(Config::load(root.path()), VantorError);
}

TEST(IniFile, Utf16FileWithByteOrderMarkIsRead)
{
    test::TempDir root;
    std::string text = "\xFF\xFE";
    for (const char c : std::string("[General]\r\nCC=1\r\nLanguage=Cze\r\n")) {
        text += c;
        text += '\0';
    }
    test::writeFile(root.path() / "config.ini", text);
    const Config config = Config::load(root.path());
    EXPECT_TRUE(config.campaignCompleted);
    EXPECT_EQ(config.language(), Language::Czech);
}

TEST(IniFile, FirstSectionAndKeyWin)
{
    const IniFile ini = IniFile::parse("[A]\nk=1\nk=2\n[B]\nk=3\n[a]\nk=4\nbroken line\n");
    EXPECT_EQ(ini.readInteger("a", "K", 0), 1);
    EXPECT_EQ(ini.readInteger("B", "k", 0), 3);
    EXPECT_EQ(ini.readString("C", "k", "none"), "none");
}

} // namespace
} // namespace vantor
