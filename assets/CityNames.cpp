#include "assets/CityNames.hpp"

#include "shell/AtomicFile.hpp"

#include <string>

namespace vantor::assets {

namespace {

constexpr std::array<std::string_view, CityNames::kCount> kNames = {
    "Selenhold", "Greyhaven", "Dustmere", "Kessler Rim", "Tharsis Gate",
    "Nyx Hollow", "Caldera Nine", "Halvard Deep", "Lumen Reach", "Orrin Crater",
    "Basalt Row", "Vesper Field", "Ashfall", "Coldwater Dome", "Ridgeback",
    "Silverkeel", "Moonshadow", "Farside Post", "Quietus", "Regolith Bay",
    "Perigee", "Apogee Station", "Halo Terrace", "Ember Flats", "Cinder Vale",
    "Drift Seven", "Glassfield", "Ironrock", "Starfall", "Tessera",
    "Umbra Point", "Penumbra", "Crescent Hold", "Obsidian Well", "Hollowmere",
    "Brightmoor", "Dune Hatch", "Kepler Ridge", "Arden Basin", "Meridian",
    "Nadir", "Zenith Camp", "Frostline", "Dawnspire", "Duskwater",
    "Pale Harbour", "Ravel Station", "Siltstone", "Marrow Gap", "Cobalt Reach",
    "Lunaris", "Vantage Hill", "Old Landing", "New Landing", "Skyhook",
    "Tether Town", "Relay Twelve", "Outpost Kappa", "Outpost Sigma", "Ridge Three",
    "Grisham Pit", "Talon Crater", "Harrow Dome", "Brimstone", "Quarry Forty",
    "Mare Nocturne", "Mare Silentia", "Lacus Somni", "Sinus Aurum", "Palus Umbra",
    "Eclipse Row", "Orbitfall", "Thornby", "Wickham Rim", "Corvid Deep",
    "Hesper Ford", "Ashgrove", "Stillwater", "Gantry Flats", "Ironhaven",
    "Helium Row", "Beacon Hill", "Far Beacon", "Lodestar", "Cairn",
    "Duststorm Gap", "Silica Wells", "Ferrum", "Argent Vale", "Tycel Rim",
    "Corona Base", "Sable Reach", "Greymarch", "Mirror Lake", "Shale Town",
    "Anvil Crater", "Oxbow Dome", "Kestrel Post", "Cratersend", "Last Light",
};

} // namespace

const std::array<std::string_view, CityNames::kCount>& CityNames::names() { return kNames; }

void CityNames::write(const std::filesystem::path& dir)
{
    std::string text;
    for (std::string_view name : kNames) {
        text += name;
        text += '\n';
    }
    writeFileAtomically(dir / "citynames.txt", text);
}

} // namespace vantor::assets
