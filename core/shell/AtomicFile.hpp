#pragma once
// Writes a whole file so that readers see either the old file or the new one:
// the bytes go to a new temporary file with an unpredictable name beside it
// (created exclusively, never through a link), are flushed, and the file
// then replaces <path>. The directory must exist. A failure removes the
// temporary file and throws VantorError naming <path> and the system's reason.

#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>

namespace vantor {

void writeFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);
void writeFileAtomically(const std::filesystem::path& path, std::string_view text);

} // namespace vantor
