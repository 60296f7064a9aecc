#pragma once
// The inputs of one generation. They are held as the values of the city
// editor's controls (choice items and slider positions 0..100), and the
// numbers the generator uses are derived from them, so a parameter can never
// disagree with the control that shows it. The generator's write-backs (hill
// height caps, Spaceport to Garage, the templates' settings) change these
// values, and with them what the editor shows.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace vantor {

enum class LandmarkKind : int {
    Spaceport = 0,
    Garage = 1,
    Carshop = 2,
    Gunshop = 3,
    Fort = 4,
    Lab = 5,
    Parking = 6,
    Excavation = 7,
    RebelHQ = 8,
};

inline constexpr int kLandmarkKindCount = 9;

// The landmark names as shown in the selector and written to the city file.
inline constexpr std::array<std::string_view, kLandmarkKindCount> kLandmarkNames{
    "Spaceport", "Garage", "Carshop", "Gunshop", "Fort", "Lab", "Parking", "Excavation", "RebelHQ"};

// Last cell index per size choice: "Very small", "Small", "Medium", "Large".
inline constexpr std::array<int, 4> kSizeByChoice{3, 7, 15, 31};
// Lamp grid step per lamp choice: "No ", "Many", "Medium", "Few".
inline constexpr std::array<int, 4> kLampStepByChoice{0, 4, 8, 16};

struct GenerationParams {
    int sizeChoice = 3;            // 0..3, default "Large"
    int lampChoice = 1;            // 0..3, default "Many"
    int roadDensityPosition = 40;  // 0..100
    int houseDensityPosition = 50; // 0..100
    int hillnessPosition = 50;     // 0..100
    int rebelsPosition = 50;       // 0..100

    bool hangarNW = true;
    bool hangarNE = true;
    bool hangarSE = true;
    bool hangarSW = true;
    bool walls = true;
    bool wallN = true;
    bool wallE = true;
    bool wallS = true;
    bool wallW = true;
    bool highway = true;
    bool downtown = true;
    bool industrial = true;
    bool landmark = true; // "Create special building"
    LandmarkKind landmarkKind = LandmarkKind::Spaceport;

    std::string cityName = "SingleCity";
    int fakeCarIndex = 0; // -1 none, 0 buggy .. 5 police; kept across generations
    int fakeGunIndex = 0; // kept across generations

    static constexpr float kShadeFactor = 0.3f;

    int size() const noexcept { return kSizeByChoice[static_cast<std::size_t>(sizeChoice)]; }
    int lampStep() const noexcept { return kLampStepByChoice[static_cast<std::size_t>(lampChoice)]; }
    // Slider position / 100, held as a 32-bit float as the file writer expects.
    float roadDensity() const noexcept { return positionToFloat(roadDensityPosition); }
    float houseDensity() const noexcept { return positionToFloat(houseDensityPosition); }
    float hillness() const noexcept { return positionToFloat(hillnessPosition); }
    float rebels() const noexcept { return static_cast<float>(rebelsPosition); }
    std::string_view landmarkName() const noexcept
    {
        return kLandmarkNames[static_cast<std::size_t>(landmarkKind)];
    }

    static float positionToFloat(int position) noexcept
    {
        return static_cast<float>(static_cast<double>(position) / 100.0);
    }
};

} // namespace vantor
