#pragma once
// The city editor without a window: the values of the editor's controls,
// which are the generation parameters, and the city they generate. The
// desktop wizard and the campaign generator both drive a city through it.
//
// A control's change handler runs only when its value really changes, as a
// toolkit's notification does: changing the size clears the grid.
// The generator's write-backs change the same values, so after a generation
// the controls show what was generated (hill height caps, a Garage instead
// of a Spaceport on small cities, the mission layouts' settings).

#include "city/CityState.hpp"
#include "city/ProgressSink.hpp"
#include "city/RandomSource.hpp"

#include <filesystem>
#include <functional>
#include <string_view>

namespace vantor {

class CityEditorModel {
public:
    explicit CityEditorModel(Language language = Language::English);

    // The opening state: every control at its default (size "Large", lamps
    // "Many", every box checked, landmark Spaceport, road 40, house 50,
    // hill 50, rebels 50) and an empty grid. FakeCarIndex, FakeGunIndex and
    // the block-road toggle keep their values.
    void reset();

    // Controls; out-of-range values throw VantorError.
    void setSizeChoice(int item);            // 0..3: "Very small", "Small", "Medium", "Large"
    void setLampChoice(int item);            // 0..3: "No ", "Many", "Medium", "Few"
    void setRoadDensityPosition(int position);  // 0..100
    void setHouseDensityPosition(int position); // 0..100
    void setHillnessPosition(int position);     // 0..100
    void setRebelsPosition(int position);       // 0..100
    void setLandmarkEnabled(bool on);           // "Create special building"
    // Sets the landmark selector as the program does (no lock).
    void setLandmarkKind(LandmarkKind kind);
    // The user's own choice: the five mission layouts need a completed
    // campaign; refused choices put the selector back to Spaceport and
    // return false.
    bool chooseLandmark(LandmarkKind kind, bool campaignCompleted);
    static std::string_view lockMessage(Language language);

    GenerationParams& params() noexcept { return city_.params; } // the check boxes, names, car and gun
    const GenerationParams& params() const noexcept { return city_.params; }
    const CityState& city() const noexcept { return city_; }
    CityState& city() noexcept { return city_; }
    Language language() const noexcept { return city_.language; }

    // The pictures generation draws from: the program's catalogue (kept by
    // the caller for the model's lifetime) and data/dirt1.bmp, data/dirt2.bmp
    // read from the program directory (throws VantorError naming the file).
    void setCatalogue(const PictureCatalogue& catalogue) noexcept { city_.catalogue = &catalogue; }
    void loadGroundTextures(const std::filesystem::path& programDir);
    // The same, reading only the top-left groundSide x groundSide pixels of
    // each texture: all a city whose ground picture is at most that wide
    // uses (groundSideFor() gives it for the current settings).
    void loadGroundTextures(const std::filesystem::path& programDir, int groundSide);
    // The widest ground picture the current settings can generate: 32
    // pixels a cell, a mission layout possibly making the city Large.
    int groundSideFor() const noexcept;

    // Throws VantorError, changing nothing, while the pictures are incomplete.
    void generate(RandomSource& random, ProgressSink& progress);
    // The same for a program that generates one city: the ground picture
    // is built in the memory of the loaded dirt1 texture, which must be
    // loaded again before another generation.
    void generateOnce(RandomSource& random, ProgressSink& progress);
    // Saves the last generated city into <programDir>/atlas; returns the description file's path.
    // `stopRequested` is asked before the files are renamed into place: true
    // throws SaveCancelled with nothing changed.
    std::filesystem::path save(const std::filesystem::path& programDir, ProgressSink& progress,
                               const std::function<bool()>& stopRequested = {}) const;

private:
    CityState city_;
};

} // namespace vantor
