#include "GuiTestSupport.hpp"

#include <filesystem>

namespace vantor::test {

MessageBoxes::Answer ScriptedMessageBoxes::show(Kind kind, std::string_view text)
{
    shown.push_back({kind, std::string(text)});
    if (!answers.empty()) {
        const Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    return kind == Kind::Question ? Answer::Yes : Answer::Ok;
}

TestProgram::TestProgram(std::string_view configIni, DataSetup data)
{
    namespace fs = std::filesystem;
    switch (data) {
    case DataSetup::Full:
        linkData(dir.path());
        break;
    case DataSetup::None:
        break;
    case DataSetup::WithoutRoadNS:
        fs::create_directory(dir.path() / "data");
        for (const fs::directory_entry& entry : fs::directory_iterator(dataDirectory()))
            if (entry.path().filename() != "roadNS.bmp")
                fs::create_symlink(entry.path(), dir.path() / "data" / entry.path().filename());
        break;
    }
    if (!configIni.empty())
        writeFile(dir.path() / "config.ini", configIni);

    menu = std::make_unique<TFormVantor>(random, boxes, dir.path());
    editor = std::make_unique<TFormCityEditor>(*menu, random, boxes, dir.path());
    ground = std::make_unique<TFormGround>(*menu);
    progress = std::make_unique<TFormProgress>();
    campaign = std::make_unique<TFormCampaignEditor>(*menu, *editor, *progress, random, boxes, dir.path());
    editor->attachWindows(*ground, *progress);
    menu->attachWizards(*editor, *campaign);
}

TestProgram::~TestProgram()
{
    // The later windows refer to the earlier ones.
    campaign.reset();
    progress.reset();
    ground.reset();
    editor.reset();
    menu.reset();
}

} // namespace vantor::test
