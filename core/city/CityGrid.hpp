#pragma once
// The city grid: 33 x 33 cells addressed [i][j], i growing East, j growing
// South. A city uses [0..size][0..size] with size 3, 7, 15 or 31; the spare
// row and column absorb the phases that look one cell past the East or South
// border. Orientation is in degrees: 0 North, 90 West, 180 South, 270 East,
// -1 unset (walls: 0 runs West-East, 90 runs North-South).

#include "shell/PictureMemory.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace vantor {

enum class StructureCode : std::uint8_t {
    None = 0,
    Hangar = 1,
    Wall = 2,
    Gate = 3,
    House1 = 4,
    House2 = 5,
    House3 = 6,
    City1 = 7,
    City2 = 8,
    City3 = 9,
    Industrial1 = 10,
    Industrial2 = 11,
    Industrial3 = 12,
    Landmark = 13,
    Lamp = 14,
    Stairs = 15,
    Pillar = 16,
};

struct CityCell {
    std::uint8_t road = 0;
    StructureCode structure = StructureCode::None;
    float orientation = -1.0f;
};

class CityGrid {
public:
    static constexpr int kSide = 33;

    CityGrid() { clear(); }

    static constexpr bool inside(int i, int j) noexcept
    {
        return i >= 0 && j >= 0 && i < kSide && j < kSide;
    }

    // i and j must be inside 0..32.
    CityCell& at(int i, int j) noexcept { return cells_[static_cast<std::size_t>(i * kSide + j)]; }
    const CityCell& at(int i, int j) const noexcept { return cells_[static_cast<std::size_t>(i * kSide + j)]; }

    bool road(int i, int j) const noexcept { return at(i, j).road != 0; }
    StructureCode structure(int i, int j) const noexcept { return at(i, j).structure; }
    void setStructure(int i, int j, StructureCode code) noexcept { at(i, j).structure = code; }
    void setStructure(int i, int j, StructureCode code, float orientation) noexcept
    {
        at(i, j).structure = code;
        at(i, j).orientation = orientation;
    }
    void setRoad(int i, int j, bool on) noexcept { at(i, j).road = on ? 1 : 0; }

    // Every cell, used or not: road 0, structure None, orientation -1.
    void clear() noexcept { cells_.fill(CityCell{}); }

private:
    std::array<CityCell, kSide * kSide> cells_;
};

// One byte per ground-picture pixel (at most 1025 x 1025): set once a
// shadow has darkened that pixel, so overlapping shadows darken it only once.
// Only the ground's own square is held, and clearing is deferred to the
// next painting: a city clears its mask several times before anything is
// painted, and a small city's shadows touch only a small square.
class ShadeMask {
public:
    static constexpr int kSide = 1025;

    // Prepares marking on a side x side ground (side 0..kSide): the marks
    // kept since the last clear() stay, everything else is unmarked.
    void prepare(int side);
    // Any x, y: false outside the prepared square.
    bool marked(int x, int y) const noexcept
    {
        return x >= 0 && y >= 0 && x < side_ && y < side_ && marks_[index(x, y)] != 0;
    }
    // x, y inside the prepared square.
    bool markedInside(int x, int y) const noexcept { return marks_[index(x, y)] != 0; }
    void mark(int x, int y) noexcept { marks_[index(x, y)] = 1; }
    // Unmarks every pixel; the memory stays for the next city.
    void clear() noexcept { side_ = 0; }

private:
    std::size_t index(int x, int y) const noexcept
    {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(side_) + static_cast<std::size_t>(x);
    }

    int side_ = 0; // 0: nothing marked
    std::vector<std::uint8_t, PictureAllocator<std::uint8_t>> marks_;
};

} // namespace vantor
