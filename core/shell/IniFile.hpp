#pragma once
// Reading of profile-style INI text: "[Section]" lines and "Key=Value"
// lines. Section and key names match without regard to case, the first
// occurrence wins, values are trimmed of surrounding blanks, lines starting
// with ';' are comments, anything else is ignored. A UTF-8 byte-order mark
// at the start is skipped.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

class IniFile {
public:
    IniFile() = default;
    static IniFile parse(std::string_view text);

    // Reads a file of at most 1 MiB. A missing file gives an empty IniFile;
    // a file that exists but cannot be read, is too large or is not text
    // throws VantorError naming it and the reason. UTF-16 files with a byte-order mark are
    // read as well (characters beyond ASCII become '?').
    static IniFile load(const std::filesystem::path& path);

    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    std::string readString(std::string_view section, std::string_view key, std::string_view fallback) const;
    // Decimal with an optional sign, or hexadecimal written "0x..." or "$...";
    // anything else (empty, "yes", out of the 32-bit range) gives `fallback`.
    int readInteger(std::string_view section, std::string_view key, int fallback) const;

    // The integer reading alone.
    static std::optional<int> parseInteger(std::string_view text);

private:
    struct Entry {
        std::string section;
        std::string key;
        std::string value;
    };
    std::vector<Entry> entries_;
};

} // namespace vantor
