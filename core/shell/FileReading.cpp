#include "shell/FileReading.hpp"

#include "shell/VantorError.hpp"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantor {

std::string readWholeFile(const std::filesystem::path& path, std::uint64_t maxBytes, std::string_view limitText)
{
    using Kind = VantorError::Kind;
    const std::string name = path.string();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        throw VantorError::system(Kind::CannotOpen, name, errno);
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};

    struct stat st {};
    if (::fstat(fd, &st) != 0)
        throw VantorError::system(Kind::CannotRead, name, errno);
    if (S_ISDIR(st.st_mode))
        throw VantorError::system(Kind::CannotOpen, name, EISDIR);
    if (!S_ISREG(st.st_mode))
        throw VantorError(Kind::CannotOpen, name, "not a regular file", "není to obyčejný soubor");
    if (static_cast<std::uint64_t>(st.st_size) > maxBytes)
        throw VantorError(Kind::TooLarge, name, std::string(limitText));

    // One byte more than the limit allows tells a file that grew meanwhile.
    std::string bytes(static_cast<std::size_t>(st.st_size) + 1, '\0');
    std::size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw VantorError::system(Kind::CannotRead, name, errno);
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
        if (got == bytes.size() && got <= maxBytes)
            bytes.resize(std::min<std::uint64_t>(bytes.size() * 2, maxBytes + 1));
    }
    if (got > maxBytes)
        throw VantorError(Kind::TooLarge, name, std::string(limitText));
    bytes.resize(got);
    return bytes;
}

} // namespace vantor
