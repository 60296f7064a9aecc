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

// A file read piece by piece where the reader chooses (a font engine reads
// only the tables it needs), opened with the same checks and limit as
// readWholeFile(). The size is the one found when it was opened.
class ReadOnlyFile {
public:
    ReadOnlyFile(const std::filesystem::path& path, std::uint64_t maxBytes, std::string_view limitText);
    ~ReadOnlyFile();
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    std::uint64_t size() const noexcept { return size_; }
    // Reads up to `count` bytes at `offset` into `to`; fewer only at the end
    // of the file. Throws VantorError naming the file when reading fails.
    std::size_t readAt(std::uint64_t offset, void* to, std::size_t count) const;

private:
    std::string name_;
    int fd_ = -1;
    std::uint64_t size_ = 0;
};

} // namespace vantor
