#pragma once
// The face every window draws its captions in: DejaVu Sans, shipped in
// data/ beside the program, at 11 pixels (8 points on a 96-dpi screen). The
// controls' places are measured for it, so the windows look the same on
// every desktop whatever its own font, size and dpi; the caption test
// measures every caption against its control with this face.

#include <QFont>

#include <filesystem>

// Registers data/DejaVuSans.ttf of the data home (the folder holding data/) with Qt. Only the
// first successful call of a process registers; later calls do nothing.
// Returns false when the file cannot be registered: the windows then ask
// the system for DejaVu Sans, or its nearest match.
bool registerWindowFont(const std::filesystem::path& dataHome);

// The windows' font.
QFont windowFont();
