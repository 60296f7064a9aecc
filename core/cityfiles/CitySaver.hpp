#pragma once
// Saves a generated city into <program directory>/atlas: the description
// file <name>.ini, then <name>PLAN.bmp, <name>GROUND.bmp and <name>HIGHT.bmp,
// all 24 bits per pixel. The atlas directory is created when
// missing. The four files commit as a set under atlas/'s writer lock, after
// an interrupted commit found there was rolled back: all are written and
// flushed under temporary names first, then moved into place through the
// commit journal (see shell/AtlasDirectory.hpp), so a failed, stopped or
// killed save leaves the previous four files or the new four, never a mix.

#include "city/CityState.hpp"
#include "city/ProgressSink.hpp"
#include "shell/BmpFile.hpp"

#include "shell/VantorError.hpp"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

class StagingDirectory;

// A save stopped on request before anything was renamed into place.
class SaveCancelled : public VantorError {
public:
    using VantorError::VantorError;
};

class CitySaver {
public:
    // Where a name is used: the single mission may be called SingleCity, a
    // campaign city may not.
    enum class NameUse { SingleMission, CampaignCity };

    // Throws VantorError (kind UnsafeName) when `name` cannot be a file name
    // inside atlas/: empty, too long, a path separator, "." or "..", a
    // control character, one of < > : " | ? *, a trailing dot or space, a
    // reserved device name such as CON or LPT1, or the name of a campaign's
    // own files, "start" or "moon" (and "SingleCity" for a campaign city),
    // in any case. The error shows control characters escaped (\x07).
    static void checkCityName(std::string_view name, NameUse use = NameUse::SingleMission);

    // One of a city's files as it is written: the description file's text,
    // or one of the city's pictures, encoded while it is written (through a
    // small buffer: no encoded copy of the picture is held). Valid while the
    // city is unchanged.
    struct OutputFile {
        std::string name; // inside atlas/
        std::string text;
        const Image* picture = nullptr;
        // Hands the file's bytes to `write`, in order, in pieces.
        void writeTo(const BmpFile::ByteWriter& write) const;
        std::vector<std::uint8_t> bytes() const;
    };
    // The city's four files in the order they are written: <name>.ini,
    // PLAN, GROUND, HIGHT. Throws VantorError for a bad name or a city
    // that was not generated: nothing is written then.
    static std::vector<OutputFile> outputFiles(const CityState& city);

    struct File {
        std::string name; // inside atlas/
        std::vector<std::uint8_t> bytes;
    };
    // The same four files with their whole bytes.
    static std::vector<File> files(const CityState& city);

    // An upper bound of the bytes of a city of the size choice (0..3).
    static std::uint64_t estimatedBytes(int sizeChoice);

    // Writes the city's four files into a campaign's staging folder.
    static void stage(const CityState& city, StagingDirectory& staging, ProgressSink& progress);

    // Writes the city; returns the description file's path. `stopRequested`
    // is asked before the files are renamed into place: true throws
    // SaveCancelled with nothing changed.
    static std::filesystem::path save(const CityState& city, const std::filesystem::path& programDir,
                                      ProgressSink& progress, const std::function<bool()>& stopRequested = {});
};

} // namespace vantor
