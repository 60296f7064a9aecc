#include "shell/FileReading.hpp"

#include "platform/Platform.hpp"
#include "shell/VantorError.hpp"

#include <algorithm>
#include <cerrno>

namespace vantor {

namespace {

using Kind = VantorError::Kind;

// Opens `name` for reading, without blocking on a FIFO; a regular file of
// at most maxBytes only. Returns the descriptor and sets `size`.
int openChecked(const std::filesystem::path& path, const std::string& name, std::uint64_t maxBytes,
                std::string_view limitText, std::uint64_t& size)
{
    platform::FileInfo info;
    const int fd = platform::openFileForReading(path, info);
    if (fd < 0)
        throw VantorError::system(Kind::CannotOpen, name, errno);
    if (!info.regular || info.size > maxBytes) {
        platform::closeFile(fd);
        if (info.directory)
            throw VantorError::system(Kind::CannotOpen, name, EISDIR);
        if (!info.regular)
            throw VantorError(Kind::CannotOpen, name, "not a regular file", "není to obyčejný soubor");
        throw VantorError(Kind::TooLarge, name, std::string(limitText));
    }
    size = info.size;
    return fd;
}

} // namespace

ReadOnlyFile::ReadOnlyFile(const std::filesystem::path& path, std::uint64_t maxBytes, std::string_view limitText)
    : name_(platform::utf8(path))
{
    fd_ = openChecked(path, name_, maxBytes, limitText, size_);
}

ReadOnlyFile::~ReadOnlyFile()
{
    platform::closeFile(fd_);
}

std::size_t ReadOnlyFile::readAt(std::uint64_t offset, void* to, std::size_t count) const
{
    auto* bytes = static_cast<unsigned char*>(to);
    std::size_t got = 0;
    while (got < count) {
        const long n = platform::readFileAt(fd_, bytes + got, count - got, offset + got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw VantorError::system(Kind::CannotRead, name_, errno);
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    return got;
}

std::string readWholeFile(const std::filesystem::path& path, std::uint64_t maxBytes, std::string_view limitText)
{
    const ReadOnlyFile file(path, maxBytes, limitText);
    // One byte more than the limit allows tells a file that grew meanwhile.
    std::string bytes(static_cast<std::size_t>(file.size()) + 1, '\0');
    std::size_t got = file.readAt(0, bytes.data(), bytes.size());
    while (got == bytes.size() && got <= maxBytes) {
        bytes.resize(std::min<std::uint64_t>(bytes.size() * 2, maxBytes + 1));
        got += file.readAt(got, bytes.data() + got, bytes.size() - got);
    }
    if (got > maxBytes)
        throw VantorError(Kind::TooLarge, platform::utf8(path), std::string(limitText));
    bytes.resize(got);
    return bytes;
}

} // namespace vantor
