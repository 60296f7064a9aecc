#pragma once
// Writes a whole file so that readers see either the old file or the new one:
// the bytes go to "<path>.tmp" beside it, which then replaces <path>.
// A failure removes the temporary file and throws VantorError naming <path>.

#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>

namespace vantor {

void writeFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);
void writeFileAtomically(const std::filesystem::path& path, std::string_view text);

} // namespace vantor
