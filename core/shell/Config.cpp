#include "shell/Config.hpp"

#include "shell/IniFile.hpp"

namespace vantor {

Config Config::load(const std::filesystem::path& programDir)
{
    const IniFile ini = IniFile::load(programDir / "config.ini");
    Config config;
    config.campaignCompleted = ini.readInteger("General", "CC", 0) != 0;
    config.languageSetting = ini.readString("General", "Language", "Eng");
    return config;
}

} // namespace vantor
