#pragma once
// The program's five windows, created once in start-up order (main menu,
// city editor, ground viewer, progress dialog, campaign wizard), wired
// together, and destroyed in the reverse order. The program, its tests and
// the screenshot tool all start from here.

#include "gui/CampaignWizard.hpp"
#include "city/RandomSource.hpp"
#include "shell/MessageBoxes.hpp"
#include "gui/GroundViewer.hpp"
#include "gui/ProgressDialog.hpp"
#include "gui/MainMenu.hpp"
#include "gui/CityWizard.hpp"

#include <filesystem>

struct VantorWindows {
    VantorWindows(vantor::RandomSource& random, vantor::MessageBoxes& boxes, const std::filesystem::path& programDir)
        : menu(random, boxes, programDir),
          cityEditor(menu, random, boxes, programDir),
          ground(menu),
          campaignEditor(menu, cityEditor, progress, random, boxes, programDir)
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
