#pragma once
// The program's five windows, created once in start-up order (main menu,
// city editor, ground viewer, progress dialog, campaign wizard), wired
// together, and destroyed in the reverse order. The program, its tests and
// the screenshot tool all start from here.

#include "gui/CampaignWizard.hpp"
#include "city/RandomSource.hpp"
#include "shell/MessageBoxes.hpp"
#include "shell/ProgramPaths.hpp"
#include "gui/GroundViewer.hpp"
#include "gui/ProgressDialog.hpp"
#include "gui/MainMenu.hpp"
#include "gui/CityWizard.hpp"

#include <filesystem>

struct VantorWindows {
    // paths: the program directory and the data's; a plain path is a
    // program directory that holds its own data/.
    VantorWindows(vantor::RandomSource& random, vantor::MessageBoxes& boxes, const vantor::ProgramPaths& paths)
        : menu(random, boxes, paths),
          cityEditor(menu, random, boxes, paths.root()),
          ground(menu),
          campaignEditor(menu, cityEditor, progress, random, boxes, paths.root())
    {
        cityEditor.attachWindows(ground, progress);
        menu.attachWizards(cityEditor, campaignEditor);
    }

    MainMenu menu;
    CityWizard cityEditor;
    GroundViewer ground;
    ProgressDialog progress;
    CampaignWizard campaignEditor;
};
