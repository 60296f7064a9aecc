#include "GuiTestSupport.hpp"

#include <QSettings>

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

TestProgram::TestProgram(std::string_view configIni, DataSetup data, Settings settings)
{
    if (settings == Settings::Fresh)
        QSettings().clear();
    namespace fs = std::filesystem;
    switch (data) {
    case DataSetup::Full:
        linkData(dir.path());
        break;
    case DataSetup::None:
        break;
    case DataSetup::WithoutRoadNS:
        linkDataWithout(dir.path(), "roadNS.bmp");
        break;
    }
    if (!configIni.empty())
        writeFile(dir.path() / "config.ini", configIni);

    windows = std::make_unique<VantorWindows>(random, boxes, dir.path());
    menu = &windows->menu;
    editor = &windows->cityEditor;
    ground = &windows->ground;
    progress = &windows->progress;
    campaign = &windows->campaignEditor;
}

TestProgram::~TestProgram() = default;

} // namespace vantor::test
