#pragma once
// Builds profile-style INI text key by key: a key written to a section that
// already exists goes to the end of that section, a new section goes to the
// end of the text. Lines end with CR LF. Writing an existing key replaces
// its value in place. Numbers are formatted without regard to the process
// locale (std::to_chars): the game reads "0.5", never "0,5".

#include <string>
#include <string_view>
#include <vector>

namespace vantor {

class IniWriter {
public:
    void write(std::string_view section, std::string_view key, std::string_view value);
    void write(std::string_view section, std::string_view key, long long value);
    void writeBool(std::string_view section, std::string_view key, bool value);
    // General format, at most 15 significant digits, no trailing zeros (100.0 gives "100").
    void writeReal(std::string_view section, std::string_view key, double value);

    static std::string formatReal(double value);
    // Decimal digits with a leading '-' when negative.
    static std::string formatInteger(long long value);
    std::string text() const;

private:
    struct Section {
        std::string name;
        std::vector<std::pair<std::string, std::string>> keys;
    };
    std::vector<Section> sections_;
};

} // namespace vantor
