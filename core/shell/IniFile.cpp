#include "shell/IniFile.hpp"
#include "platform/Platform.hpp"

#include "shell/FileReading.hpp"
#include "shell/VantorError.hpp"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>

namespace vantor {

namespace {

constexpr std::uintmax_t kMaxIniBytes = 1 << 20;

std::string_view trim(std::string_view s)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool sameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::string fromUtf16Le(std::string_view bytes)
{
    std::string out;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
        const unsigned unit = static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8);
        out += unit < 0x80 ? static_cast<char>(unit) : '?';
    }
    return out;
}

} // namespace

IniFile IniFile::parse(std::string_view text)
{
    IniFile ini;
    std::string section;
    // A UTF-8 byte-order mark, as Windows editors write, is not part of the first line.
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = trim(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (line.empty() || line.front() == ';')
            continue;
        if (line.front() == '[') {
            const std::size_t close = line.find(']');
            if (close != std::string_view::npos)
                section = std::string(trim(line.substr(1, close - 1)));
            continue;
        }
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos)
            continue;
        ini.entries_.push_back({section, std::string(trim(line.substr(0, eq))), std::string(trim(line.substr(eq + 1)))});
    }
    return ini;
}

IniFile IniFile::load(const std::filesystem::path& path)
{
    std::string text;
    try {
        text = readWholeFile(path, kMaxIniBytes, "1 MiB");
    } catch (const VantorError& e) {
        if (e.systemError() == ENOENT)
            return {};
        throw;
    }
    if (text.size() >= 2 && static_cast<unsigned char>(text[0]) == 0xFF && static_cast<unsigned char>(text[1]) == 0xFE)
        text = fromUtf16Le(text);
    else if (text.find('\0') != std::string::npos)
        throw VantorError(VantorError::Kind::CannotRead, platform::utf8(path), "it is not a text file", "není to textový soubor");
    return parse(text);
}

std::optional<std::string> IniFile::value(std::string_view section, std::string_view key) const
{
    for (const Entry& e : entries_)
        if (sameName(e.section, section) && sameName(e.key, key))
            return e.value;
    return std::nullopt;
}

std::string IniFile::readString(std::string_view section, std::string_view key, std::string_view fallback) const
{
    auto v = value(section, key);
    return v ? *v : std::string(fallback);
}

int IniFile::readInteger(std::string_view section, std::string_view key, int fallback) const
{
    const auto v = value(section, key);
    if (!v)
        return fallback;
    return parseInteger(*v).value_or(fallback);
}

std::optional<int> IniFile::parseInteger(std::string_view text)
{
    text = trim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    } else if (!text.empty() && text.front() == '$') {
        base = 16;
        text.remove_prefix(1);
    }
    if (text.empty())
        return std::nullopt;
    std::int64_t value = 0;
    for (const char c : text) {
        int digit = -1;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        if (digit < 0)
            return std::nullopt;
        value = value * base + digit;
        if (value > (std::int64_t{1} << 32))
            return std::nullopt;
    }
    if (base == 16 && !negative && value <= 0xFFFFFFFFLL)
        return static_cast<int>(static_cast<std::uint32_t>(value)); // "0xFFFFFFFF" is -1, as a 32-bit reading gives
    if (negative)
        value = -value;
    if (value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return static_cast<int>(value);
}

} // namespace vantor
