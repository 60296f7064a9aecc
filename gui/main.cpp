// vantor: the desktop program. Creates the five windows once, in order
// (main menu, city editor, ground viewer, progress dialog, campaign wizard),
// and runs the event loop until the main menu closes.

#include "city/RandomSource.hpp"
#include "gui/QtMessageBoxes.hpp"
#include "gui/VantorWindows.hpp"

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

    VantorWindows windows(random, boxes, programDir);
    windows.menu.show();
    return QApplication::exec();
}
