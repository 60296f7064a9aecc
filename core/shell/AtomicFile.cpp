#include "shell/AtomicFile.hpp"
#include "platform/Platform.hpp"

#include "shell/AtlasDirectory.hpp"
#include "shell/VantorError.hpp"

#include <optional>

namespace vantor {

void writeFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes)
{
    const std::filesystem::path parent = path.has_parent_path() ? path.parent_path() : ".";
    std::optional<AtlasDirectory> directory;
    try {
        directory.emplace(parent, false);
    } catch (const VantorError& e) {
        throw VantorError("Cannot write " + platform::utf8(path) + ": " + e.what());
    }
    FileSet file(*directory);
    file.add(platform::utf8(path.filename()), bytes);
    file.commit();
}

void writeFileAtomically(const std::filesystem::path& path, std::string_view text)
{
    writeFileAtomically(path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

} // namespace vantor
