#pragma once
// Reading a whole small file (config.ini, citynames.txt, a font) with a size
// limit, the way every reader of the program does it: the file is opened
// without blocking (a FIFO at the name cannot hang the program), must be a
// regular file, and is refused before it is read when it is larger than the
// limit. Every failure is a VantorError naming the file and the system's
// reason; a missing file has systemError() == ENOENT.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace vantor {

// The bytes of `path`, at most `maxBytes` of them; `limitText` names the
// limit in the error ("1 MiB").
std::string readWholeFile(const std::filesystem::path& path, std::uint64_t maxBytes, std::string_view limitText);

} // namespace vantor
