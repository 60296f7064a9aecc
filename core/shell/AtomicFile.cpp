#include "shell/AtomicFile.hpp"

#include "shell/VantorError.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>

namespace vantor {

void writeFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes)
{
    std::filesystem::path temp = path;
    temp += ".tmp";
    std::FILE* f = std::fopen(temp.c_str(), "wb");
    if (f == nullptr)
        throw VantorError("Cannot create file " + path.string() + ": " + std::strerror(errno));
    const bool written = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    const int savedErrno = errno;
    const bool closed = std::fclose(f) == 0;
    if (!written || !closed) {
        std::error_code ignored;
        std::filesystem::remove(temp, ignored);
        throw VantorError("Cannot write file " + path.string() + ": " +
                          std::strerror(written ? errno : savedErrno));
    }
    std::error_code ec;
    std::filesystem::rename(temp, path, ec);
    if (ec) {
        std::error_code ignored;
        std::filesystem::remove(temp, ignored);
        throw VantorError("Cannot write file " + path.string() + ": " + ec.message());
    }
}

void writeFileAtomically(const std::filesystem::path& path, std::string_view text)
{
    writeFileAtomically(path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

} // namespace vantor
