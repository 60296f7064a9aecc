#include "shell/IniWriter.hpp"

#include <algorithm>
#include <charconv>

namespace vantor {

void IniWriter::write(std::string_view section, std::string_view key, std::string_view value)
{
    auto s = std::find_if(sections_.begin(), sections_.end(), [&](const Section& x) { return x.name == section; });
    if (s == sections_.end()) {
        sections_.push_back({std::string(section), {}});
        s = sections_.end() - 1;
    }
    auto k = std::find_if(s->keys.begin(), s->keys.end(), [&](const auto& x) { return x.first == key; });
    if (k != s->keys.end())
        k->second = std::string(value);
    else
        s->keys.emplace_back(std::string(key), std::string(value));
}

void IniWriter::write(std::string_view section, std::string_view key, long long value)
{
    write(section, key, formatInteger(value));
}

void IniWriter::writeBool(std::string_view section, std::string_view key, bool value)
{
    write(section, key, value ? "1" : "0");
}

void IniWriter::writeReal(std::string_view section, std::string_view key, double value)
{
    write(section, key, formatReal(value));
}

std::string IniWriter::formatReal(double value)
{
    // std::to_chars ignores the locale: a desktop session in a decimal-comma
    // locale still writes "0.5". With a precision, the general format gives
    // exactly the text printf's "%.15g" gives in the "C" locale.
    char buffer[40];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    return std::string(buffer, result.ptr);
}

std::string IniWriter::formatInteger(long long value)
{
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string IniWriter::text() const
{
    std::string out;
    for (const Section& s : sections_) {
        out += "[" + s.name + "]\r\n";
        for (const auto& [key, value] : s.keys)
            out += key + "=" + value + "\r\n";
    }
    return out;
}

} // namespace vantor
