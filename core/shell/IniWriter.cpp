#include "shell/IniWriter.hpp"

#include <algorithm>
#include <cstdio>

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
    write(section, key, std::to_string(value));
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
    // snprintf in the program's "C" locale: the same text on every machine.
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    return buffer;
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
