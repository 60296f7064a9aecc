#include "shell/FileReading.hpp"

#include "shell/VantorError.hpp"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantor {

namespace {

using Kind = VantorError::Kind;

// Opens `name` for reading, without blocking on a FIFO; a regular file of
// at most maxBytes only. Returns the descriptor and sets `size`.
int openChecked(const std::filesystem::path& path, const std::string& name, std::uint64_t maxBytes,
                std::string_view limitText, std::uint64_t& size)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        throw VantorError::system(Kind::CannotOpen, name, errno);
    struct stat st {};
    int failure = 0;
    if (::fstat(fd, &st) != 0)
        failure = errno;
    if (failure != 0 || !S_ISREG(st.st_mode) || static_cast<std::uint64_t>(st.st_size) > maxBytes) {
        ::close(fd);
        if (failure != 0)
            throw VantorError::system(Kind::CannotRead, name, failure);
        if (S_ISDIR(st.st_mode))
            throw VantorError::system(Kind::CannotOpen, name, EISDIR);
        if (!S_ISREG(st.st_mode))
            throw VantorError(Kind::CannotOpen, name, "not a regular file", "není to obyčejný soubor");
        throw VantorError(Kind::TooLarge, name, std::string(limitText));
    }
    size = static_cast<std::uint64_t>(st.st_size);
    return fd;
}

} // namespace

ReadOnlyFile::ReadOnlyFile(const std::filesystem::path& path, std::uint64_t maxBytes, std::string_view limitText)
    : name_(path.string())
{
    fd_ = openChecked(path, name_, maxBytes, limitText, size_);
}

ReadOnlyFile::~ReadOnlyFile()
{
    ::close(fd_);
}

std::size_t ReadOnlyFile::readAt(std::uint64_t offset, void* to, std::size_t count) const
{
    auto* bytes = static_cast<unsigned char*>(to);
    std::size_t got = 0;
    while (got < count) {
        const ssize_t n = ::pread(fd_, bytes + got, count - got, static_cast<off_t>(offset + got));
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
        throw VantorError(Kind::TooLarge, path.string(), std::string(limitText));
    bytes.resize(got);
    return bytes;
}

} // namespace vantor
