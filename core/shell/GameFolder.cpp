#include "shell/GameFolder.hpp"
#include "platform/Platform.hpp"

#include "shell/AtlasDirectory.hpp"

#include <system_error>

namespace vantor {

namespace fs = std::filesystem;

std::optional<VantorError> atlasWriteProblem(const fs::path& folder)
{
    try {
        const AtlasDirectory atlas(folder / "atlas");
        FileSet probe(atlas); // never committed: its temporary file is removed again
        probe.add(".write-check", std::span<const std::uint8_t>{});
        return std::nullopt;
    } catch (const VantorError& e) {
        const std::string shown = platform::utf8(folder);
        return VantorError::translated("The game folder " + shown + " cannot be written: " + e.text(Language::English),
                                       "Do složky hry " + shown + " nelze zapisovat: " + e.text(Language::Czech),
                                       e.systemError());
    }
}

bool hasGameConfig(const fs::path& folder)
{
    std::error_code ec;
    return fs::is_regular_file(folder / "config.ini", ec);
}

VantorError missingConfigWarning(const fs::path& folder)
{
    const std::string shown = platform::utf8(folder);
    return VantorError::translated(
        "There is no config.ini in " + shown +
            ", so it may not be Korvane's folder. Vantor works in it all the same: it writes into " + shown +
            "/atlas, in English, with the mission layouts locked.",
        "Ve složce " + shown +
            " není config.ini, nejspíš to není složka hry Korvane. Vantor v ní přesto pracuje: zapisuje do " + shown +
            "/atlas, anglicky a se zamčenými misemi.");
}

} // namespace vantor
