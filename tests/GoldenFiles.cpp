#include "GoldenFiles.hpp"

#include "TestSupport.hpp"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vantor::test {

bool updatingGoldens()
{
    const char* value = std::getenv("VANTOR_UPDATE_GOLDENS");
    return value != nullptr && std::strcmp(value, "1") == 0;
}

std::filesystem::path goldenPath(std::string_view name)
{
    return std::filesystem::path(VANTOR_TEST_DATA_DIR) / "goldens" / name;
}

std::string compareWithGolden(std::string_view name, std::string_view actual)
{
    const std::filesystem::path path = goldenPath(name);
    if (updatingGoldens()) {
        std::filesystem::create_directories(path.parent_path());
        writeFile(path, actual);
        return {};
    }
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return path.string() + " is missing (run the golden tests with VANTOR_UPDATE_GOLDENS=1 to write it)";
    const std::string expected = readFile(path);
    if (expected == actual)
        return {};
    std::size_t at = 0;
    while (at < expected.size() && at < actual.size() && expected[at] == actual[at])
        ++at;
    const std::size_t lineStart = expected.rfind('\n', at == 0 ? 0 : at - 1);
    const std::size_t from = lineStart == std::string::npos ? 0 : lineStart + 1;
    const auto lineAt = [from](std::string_view text) {
        const std::string_view rest = from < text.size() ? text.substr(from) : std::string_view();
        return std::string(rest.substr(0, std::min(rest.find_first_of("\r\n"), std::size_t{160})));
    };
    return path.string() + " differs at byte " + std::to_string(at) + " (" + std::to_string(expected.size()) +
           " bytes expected, " + std::to_string(actual.size()) + " written)\n  expected: " + lineAt(expected) +
           "\n  written:  " + lineAt(actual);
}

std::string hashLine(std::string_view bytes)
{
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(fnv1a(bytes)));
    return std::to_string(bytes.size()) + " " + hex;
}

std::string formatManifest(const HashManifest& manifest)
{
    std::string out;
    for (const auto& [file, line] : manifest)
        out += file + " " + line + "\n";
    return out;
}

} // namespace vantor::test
