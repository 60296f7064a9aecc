// vantor: the desktop program. Creates the five windows once, in order
// (main menu, city editor, ground viewer, progress dialog, campaign wizard),
// and runs the event loop until the main menu closes.

#include "campaign/TFormCampaignEditor.hpp"
#include "city/RandomSource.hpp"
#include "gui/QtMessageBoxes.hpp"
#include "shell/TFormGround.hpp"
#include "shell/TFormProgress.hpp"
#include "shell/TFormVantor.hpp"
#include "wizard/TFormCityEditor.hpp"

#include <QApplication>
#include <QFile>

#include <filesystem>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Vantor");

    const std::filesystem::path programDir = QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();

    // The one random source of the program, handed to whoever draws from it.
    vantor::RandomSource random;
    QtMessageBoxes boxes;

    TFormVantor formVantor(random, boxes, programDir);
    TFormCityEditor formCityEditor(formVantor, random, boxes, programDir);
    TFormGround formGround(formVantor);
    TFormProgress formProgress;
    TFormCampaignEditor formCampaignEditor(formVantor, formCityEditor, formProgress, random, boxes, programDir);
    formCityEditor.attachWindows(formGround, formProgress);
    formVantor.attachWizards(formCityEditor, formCampaignEditor);

    formVantor.show();
    return QApplication::exec();
}
