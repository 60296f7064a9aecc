#pragma once
// Golden files kept in tests/data/goldens: whole outputs (or their hashes)
// for known seeds and settings. When an intended change moves them, rewrite
// them in place with
//
//     VANTOR_UPDATE_GOLDENS=1 build/release/tests/vantor-tests --gtest_filter='GoldenFiles*'
//
// and review the change with `git diff tests/data/goldens` before committing.

#include <filesystem>
#include <map>
#include <string>
#include <string_view>

namespace vantor::test {

// True when VANTOR_UPDATE_GOLDENS=1: the golden tests write what they see.
bool updatingGoldens();

// tests/data/goldens/<name> in the source tree.
std::filesystem::path goldenPath(std::string_view name);

// Compares `actual` with the golden file's bytes (or rewrites the file when
// updating). Returns an empty string when they agree, otherwise a short
// description of the first difference.
std::string compareWithGolden(std::string_view name, std::string_view actual);

// A manifest of file hashes, one "<file> <size> <fnv1a hex>" line each,
// sorted by file name.
using HashManifest = std::map<std::string, std::string>;
std::string hashLine(std::string_view bytes); // "<size> <fnv1a hex>"
std::string formatManifest(const HashManifest& manifest);

} // namespace vantor::test
