#include "campaign/AtlasChecker.hpp"

#include "campaign/Campaign.hpp"
#include "campaign/MoonMap.hpp"
#include "city/GenerationParams.hpp"
#include "cityfiles/CityDescriptionFile.hpp"
#include "cityfiles/CitySaver.hpp"
#include "platform/Platform.hpp"
#include "shell/AtlasDirectory.hpp"
#include "shell/VantorError.hpp"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <map>
#include <optional>
#include <span>
#include <string_view>
#include <unordered_map>


namespace vantor {

namespace {

namespace fs = std::filesystem;

// The order of the four diagonal directions in the tables below; the
// opposite of direction d is 3 - d (NW <-> SE, NE <-> SW).
constexpr std::array<std::string_view, 4> kDirections{"NW", "NE", "SW", "SE"};

// Names a campaign city cannot take: the single mission and the campaign's
// own files (compared without regard to case, as the game's file system does).
constexpr std::array<std::string_view, 3> kReservedCityNames{"singlecity", "start", "moon"};

constexpr std::array<std::string_view, 4> kSingleMissionFiles{
    "SingleCity.ini", "SingleCityPLAN.bmp", "SingleCityGROUND.bmp", "SingleCityHIGHT.bmp"};

// The three pictures of a city: file name suffix and pixels per cell.
struct PictureKind {
    std::string_view suffix;
    int pixelsPerCell;
};
constexpr std::array<PictureKind, 3> kCityPictures{{{"PLAN.bmp", 10}, {"GROUND.bmp", 32}, {"HIGHT.bmp", 2}}};

constexpr int kMoonWidth = Campaign::kMapWidth;
constexpr int kMoonHeight = Campaign::kMapHeight;
constexpr long long kMaxInt32 = 2147483647;
constexpr long long kMaxInt8 = 127; // car, gun and kill counts are 8-bit in the game

std::string lower(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return out;
}

std::string_view trim(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

// Control characters shown as \xNN, so a name never drives the terminal.
// Backslashes are left alone (unlike escapeControls): a finding may quote a
// message that already shows a refused name escaped.
std::string escaped(std::string_view text)
{
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F) {
            out += "\\x";
            out += kHex[u >> 4];
            out += kHex[u & 15];
        } else {
            out += c;
        }
    }
    return out;
}

// ---- Findings --------------------------------------------------------------

class Findings {
public:
    explicit Findings(std::vector<std::string>& out) : out_(out) {}

    void add(const std::string& file, int line, std::string_view text)
    {
        if (++perFile_[file] > AtlasChecker::kMaxFindingsPerFile)
            return;
        std::string entry = escaped(file);
        if (line > 0)
            entry += ":" + std::to_string(line);
        entry += ": ";
        entry += escaped(text);
        out_.push_back(std::move(entry));
    }
    void add(const std::string& file, std::string_view text) { add(file, 0, text); }

    // One closing line for each file with more findings than were listed.
    void finish()
    {
        for (const auto& [file, count] : perFile_)
            if (count > AtlasChecker::kMaxFindingsPerFile)
                out_.push_back(escaped(file) + ": " + std::to_string(count - AtlasChecker::kMaxFindingsPerFile) +
                               " more problems not listed");
    }

private:
    std::vector<std::string>& out_;
    std::map<std::string, int> perFile_;
};

// ---- Files -----------------------------------------------------------------

enum class FileState { Missing, Unusable, Ok };

// An open regular file. Opened non-blocking, so a FIFO planted at the name
// cannot hang the check; anything but a regular file is a finding.
class OpenFile {
public:
    OpenFile(const fs::path& path, const std::string& label, Findings& findings)
    {
        platform::FileInfo info;
        fd_ = platform::openFileForReading(path, info);
        if (fd_ < 0) {
            if (errno == ENOENT) {
                state_ = FileState::Missing;
            } else {
                findings.add(label, std::string("cannot be opened: ") + platform::errorText(errno));
            }
            return;
        }
        if (!info.regular) {
            findings.add(label, "is not a regular file");
            return;
        }
        size_ = static_cast<std::uintmax_t>(info.size);
        state_ = FileState::Ok;
    }
    ~OpenFile()
    {
        platform::closeFile(fd_);
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;

    FileState state() const { return state_; }
    std::uintmax_t size() const { return size_; }

    // Up to `limit` bytes from the start; nullopt (and a finding) on a read error.
    std::optional<std::string> read(std::size_t limit, const std::string& label, Findings& findings)
    {
        std::string bytes(limit, '\0');
        std::size_t got = 0;
        while (got < limit) {
            const long n = platform::readFile(fd_, bytes.data() + got, limit - got);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                findings.add(label, std::string("cannot be read: ") + platform::errorText(errno));
                return std::nullopt;
            }
            if (n == 0)
                break;
            got += static_cast<std::size_t>(n);
        }
        bytes.resize(got);
        return bytes;
    }

private:
    int fd_ = -1;
    FileState state_ = FileState::Unusable;
    std::uintmax_t size_ = 0;
};

// A whole text file, at most kMaxTextBytes.
std::optional<std::string> readText(const fs::path& path, const std::string& label, Findings& findings, FileState& state)
{
    OpenFile file(path, label, findings);
    state = file.state();
    if (state != FileState::Ok)
        return std::nullopt;
    if (file.size() > AtlasChecker::kMaxTextBytes) {
        findings.add(label, std::to_string(file.size()) + " bytes, larger than the " +
                                std::to_string(AtlasChecker::kMaxTextBytes) + " a description file can be; not read");
        state = FileState::Unusable;
        return std::nullopt;
    }
    auto text = file.read(static_cast<std::size_t>(AtlasChecker::kMaxTextBytes) + 1, label, findings);
    if (text && text->size() > AtlasChecker::kMaxTextBytes) { // grew while being read
        findings.add(label, "larger than " + std::to_string(AtlasChecker::kMaxTextBytes) + " bytes; not read");
        text.reset();
    }
    if (!text)
        state = FileState::Unusable;
    return text;
}

// ---- Pictures: header and file size only -------------------------------------

std::uint32_t le16(const std::string& d, std::size_t at)
{
    return static_cast<std::uint32_t>(static_cast<unsigned char>(d[at])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(d[at + 1])) << 8;
}

std::uint32_t le32(const std::string& d, std::size_t at)
{
    return le16(d, at) | le16(d, at + 2) << 16;
}

struct PictureSize {
    int width;
    int height;
};

// Reads at most the file header and the largest info header (138 bytes) and
// checks that the pixel rows they announce are all in the file.
std::optional<PictureSize> readPictureHeader(const fs::path& path, const std::string& label, Findings& findings,
                                             FileState& state)
{
    OpenFile file(path, label, findings);
    state = file.state();
    if (state != FileState::Ok)
        return std::nullopt;
    const auto head = file.read(14 + 124, label, findings);
    state = FileState::Unusable;
    if (!head)
        return std::nullopt;
    const std::string& h = *head;
    if (h.size() < 26 || h[0] != 'B' || h[1] != 'M') {
        findings.add(label, "is not a BMP picture");
        return std::nullopt;
    }
    const std::uint32_t offset = le32(h, 10);
    const std::uint32_t infoSize = le32(h, 14);
    long long width = 0;
    long long height = 0;
    std::uint32_t bits = 0;
    std::uint32_t compression = 0;
    if (infoSize == 12) {
        width = le16(h, 18);
        height = le16(h, 20);
        bits = le16(h, 24);
    } else if (infoSize == 40 || infoSize == 52 || infoSize == 56 || infoSize == 108 || infoSize == 124) {
        if (h.size() < 14 + 40) {
            findings.add(label, "is cut short inside its header");
            return std::nullopt;
        }
        width = static_cast<std::int32_t>(le32(h, 18));
        height = static_cast<std::int32_t>(le32(h, 22));
        if (height < 0)
            height = -height; // rows stored top-down
        bits = le16(h, 28);
        compression = le32(h, 30);
    } else {
        findings.add(label, "has a BMP header of " + std::to_string(infoSize) + " bytes, which is not a known kind");
        return std::nullopt;
    }
    const bool knownDepth = bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
    if (!knownDepth || !(compression == 0 || (compression == 3 && (bits == 16 || bits == 32)))) {
        findings.add(label, std::to_string(bits) + " bits per pixel with compression " + std::to_string(compression) +
                                ": not a kind of BMP picture the game reads");
        return std::nullopt;
    }
    if (width < 1 || height < 1 || width > AtlasChecker::kMaxPictureSide || height > AtlasChecker::kMaxPictureSide) {
        findings.add(label, std::to_string(width) + " x " + std::to_string(height) + " pixels: out of range (1.." +
                                std::to_string(AtlasChecker::kMaxPictureSide) + " a side)");
        return std::nullopt;
    }
    // Sides are at most 4096 and depths 32 bits: no overflow in 64 bits.
    const std::uintmax_t rowBytes = (static_cast<std::uintmax_t>(width) * bits + 31) / 32 * 4;
    const std::uintmax_t needed = std::uintmax_t{offset} + rowBytes * static_cast<std::uintmax_t>(height);
    if (offset < 14 + infoSize || needed > file.size()) {
        findings.add(label, "is cut short: " + std::to_string(file.size()) + " bytes, its " + std::to_string(width) +
                                " x " + std::to_string(height) + " pixels need " + std::to_string(needed));
        return std::nullopt;
    }
    state = FileState::Ok;
    return PictureSize{static_cast<int>(width), static_cast<int>(height)};
}

// ---- Text lines and INI sections ---------------------------------------------

struct Line {
    std::string_view text;
    int number;
};

// Splits the text at LF; a line end without CR before it, a missing last
// line end, a byte-order mark and NUL bytes are findings (the game's files
// are single-byte text with CR LF line ends).
std::vector<Line> splitLines(std::string_view bytes, const std::string& label, Findings& findings)
{
    std::vector<Line> lines;
    if (bytes.find('\0') != std::string_view::npos) {
        findings.add(label, "holds NUL bytes: not a text file");
        return lines;
    }
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        findings.add(label, 1, "starts with a UTF-8 byte-order mark, which the game takes as part of the first line");
    }
    int lfOnly = 0;
    int firstLfOnly = 0;
    int number = 0;
    std::size_t start = 0;
    while (start < bytes.size()) {
        ++number;
        const std::size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos) {
            findings.add(label, number, "the last line has no line end (CR LF)");
            lines.push_back({bytes.substr(start), number});
            break;
        }
        std::string_view text = bytes.substr(start, end - start);
        if (text.ends_with('\r')) {
            text.remove_suffix(1);
        } else if (lfOnly++ == 0) {
            firstLfOnly = number;
        }
        lines.push_back({text, number});
        start = end + 1;
    }
    if (lfOnly > 0)
        findings.add(label, firstLfOnly,
                     "line ends with LF instead of CR LF" +
                         (lfOnly > 1 ? " (" + std::to_string(lfOnly) + " lines in all)" : std::string()));
    return lines;
}

struct IniKey {
    std::string name;
    std::string value;
    int line;
};

struct IniSection {
    std::string name;
    int line;
    std::vector<IniKey> keys;
};

// Sections and keys as the game reads them: names without regard to case,
// values trimmed, the first of two equal sections or keys wins (the second
// is a finding), ';' starts a comment, blank lines are skipped.
class IniText {
public:
    IniText(const std::vector<Line>& lines, const std::string& label, Findings& findings)
    {
        constexpr std::size_t kNone = static_cast<std::size_t>(-1);
        std::size_t current = kNone; // the section keys go to
        bool inRepeatedSection = false;
        for (const Line& line : lines) {
            const std::string_view t = trim(line.text);
            if (t.empty() || t.front() == ';')
                continue;
            if (t.front() == '[') {
                current = kNone;
                inRepeatedSection = true;
                if (t.back() != ']') {
                    findings.add(label, line.number, "a section line without its closing ]");
                    continue;
                }
                const std::string name(trim(t.substr(1, t.size() - 2)));
                const auto [at, added] = index_.emplace(lower(name), sections_.size());
                if (!added) {
                    findings.add(label, line.number,
                                 "section [" + name + "] appears again (first at line " +
                                     std::to_string(sections_[at->second].line) + ")");
                    continue;
                }
                sections_.push_back({name, line.number, {}});
                current = sections_.size() - 1;
                inRepeatedSection = false;
                continue;
            }
            const std::size_t eq = t.find('=');
            if (eq == std::string_view::npos) {
                findings.add(label, line.number,
                             "neither a section, a key nor a comment: \"" + std::string(t.substr(0, 40)) + "\"");
                continue;
            }
            if (current == kNone) {
                if (!inRepeatedSection)
                    findings.add(label, line.number, "a key before the first section");
                continue;
            }
            IniSection& section = sections_[current];
            const std::string key(trim(t.substr(0, eq)));
            const std::string lowKey = lower(key);
            const auto same = std::find_if(section.keys.begin(), section.keys.end(),
                                           [&](const IniKey& k) { return lower(k.name) == lowKey; });
            if (same != section.keys.end()) {
                findings.add(label, line.number,
                             "key " + key + " appears again in section [" + section.name + "] (first at line " +
                                 std::to_string(same->line) + ")");
                continue;
            }
            section.keys.push_back({key, std::string(trim(t.substr(eq + 1))), line.number});
        }
    }

    const std::vector<IniSection>& sections() const { return sections_; }
    const IniSection* find(std::string_view name) const
    {
        const auto at = index_.find(lower(name));
        return at == index_.end() ? nullptr : &sections_[at->second];
    }

private:
    std::vector<IniSection> sections_;
    std::unordered_map<std::string, std::size_t> index_;
};

// The keys of one section, each read and judged once; keys never asked for
// are reported as unknown by reportUnknown().
class Keys {
public:
    Keys(const IniSection& section, const std::string& label, Findings& findings)
        : section_(section), label_(label), findings_(findings), asked_(section.keys.size(), false)
    {
    }

    const IniKey* require(std::string_view name)
    {
        const std::string low = lower(name);
        for (std::size_t k = 0; k < section_.keys.size(); ++k) {
            if (lower(section_.keys[k].name) == low) {
                asked_[k] = true;
                return &section_.keys[k];
            }
        }
        findings_.add(label_, section_.line, "section [" + section_.name + "] has no key " + std::string(name));
        return nullptr;
    }

    void report(const IniKey& key, std::string_view what)
    {
        findings_.add(label_, key.line, key.name + "=" + key.value + " " + std::string(what));
    }

    std::optional<long long> integer(std::string_view name, long long low, long long high)
    {
        const IniKey* key = require(name);
        if (!key)
            return std::nullopt;
        const auto n = parseInteger(key->value);
        if (!n) {
            report(*key, "is not a whole number");
            return std::nullopt;
        }
        if (*n < low || *n > high) {
            report(*key, "is out of range (" + std::to_string(low) + ".." + std::to_string(high) + ")");
            return std::nullopt;
        }
        return n;
    }

    // A real in low..high (below high when `highOpen`), written with a point.
    std::optional<double> real(std::string_view name, double low, double high, bool highOpen, std::string_view range)
    {
        const IniKey* key = require(name);
        if (!key)
            return std::nullopt;
        const std::string& v = key->value;
        if (v.find(',') != std::string::npos) {
            report(*key, "uses a decimal comma; the game reads reals with a point (such as 0.5)");
            return std::nullopt;
        }
        double x = 0;
        const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), x, std::chars_format::general);
        if (v.empty() || ec != std::errc{} || end != v.data() + v.size() || !std::isfinite(x)) {
            report(*key, "is not a number");
            return std::nullopt;
        }
        if (x < low || x > high || (highOpen && x >= high)) {
            report(*key, "is out of range (" + std::string(range) + ")");
            return std::nullopt;
        }
        return x;
    }

    std::optional<bool> flag(std::string_view name)
    {
        const IniKey* key = require(name);
        if (!key)
            return std::nullopt;
        if (key->value != "0" && key->value != "1") {
            report(*key, "is not 0 or 1");
            return std::nullopt;
        }
        return key->value == "1";
    }

    // Any text, not empty.
    const IniKey* text(std::string_view name)
    {
        const IniKey* key = require(name);
        if (key && key->value.empty()) {
            report(*key, "is empty");
            return nullptr;
        }
        return key;
    }

    const IniKey* oneOf(std::string_view name, std::span<const std::string_view> choices)
    {
        const IniKey* key = require(name);
        if (!key)
            return nullptr;
        if (std::find(choices.begin(), choices.end(), key->value) != choices.end())
            return key;
        std::string list;
        for (const std::string_view c : choices)
            list += (list.empty() ? "" : ", ") + std::string(c);
        report(*key, "is not one of " + list);
        return nullptr;
    }

    void reportUnknown()
    {
        for (std::size_t k = 0; k < section_.keys.size(); ++k)
            if (!asked_[k])
                findings_.add(label_, section_.keys[k].line,
                              "unknown key " + section_.keys[k].name + " in section [" + section_.name + "]");
    }

    static std::optional<long long> parseInteger(std::string_view v)
    {
        long long n = 0;
        const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
        if (v.empty() || ec != std::errc{} || end != v.data() + v.size())
            return std::nullopt;
        return n;
    }

private:
    const IniSection& section_;
    const std::string& label_;
    Findings& findings_;
    std::vector<bool> asked_;
};

// A section name made of decimal digits without a leading zero, up to 9 digits.
std::optional<int> sectionNumber(std::string_view name)
{
    if (name.empty() || name.size() > 9 || name.front() == '0' ||
        !std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    return static_cast<int>(*Keys::parseInteger(name));
}

// ---- A city's four files -----------------------------------------------------

// What start.ini says about a city, to hold its files against.
struct CityExpectation {
    std::string origin;                      // "city 3 of start.ini", "the single mission"
    std::optional<int> sizeIndex;            // 0..3
    std::optional<std::array<bool, 4>> links; // has a neighbour NW, NE, SW, SE
};

constexpr std::array<std::string_view, 4> kSizeNames{"Very small", "Small", "Medium", "Large"};

// The description file: header keys, terminals against the links, every
// cell record once. Returns the last cell index it gives, when valid.
std::optional<int> checkDescription(const std::string& text, const std::string& label, const CityExpectation& expect,
                                    Findings& findings)
{
    const std::vector<Line> lines = splitLines(text, label, findings);
    const IniText ini(lines, label, findings);
    const IniSection* general = ini.find("General");
    std::optional<int> size;
    if (!general) {
        findings.add(label, "section [General] is missing");
    } else {
        Keys keys(*general, label, findings);
        if (const IniKey* key = keys.require("Size")) {
            const auto n = Keys::parseInteger(key->value);
            const auto choice = std::find(kSizeByChoice.begin(), kSizeByChoice.end(), n.value_or(-1));
            if (choice == kSizeByChoice.end()) {
                keys.report(*key, "is not a city size (3, 7, 15 or 31)");
            } else {
                size = *n;
                const int index = static_cast<int>(choice - kSizeByChoice.begin());
                if (expect.sizeIndex && *expect.sizeIndex != index)
                    keys.report(*key, "does not match " + expect.origin + ": Size=" +
                                          std::to_string(*expect.sizeIndex) + " there is a " +
                                          std::string(kSizeNames[static_cast<std::size_t>(*expect.sizeIndex)]) +
                                          " city, Size=" +
                                          std::to_string(kSizeByChoice[static_cast<std::size_t>(*expect.sizeIndex)]) +
                                          " here");
            }
        }
        const int last = size.value_or(kSizeByChoice.back());
        keys.integer("Hillness", 0, 100);
        keys.integer("Rebels", 0, 100);
        keys.flag("Landmark");
        keys.oneOf("Landmark name", kLandmarkNames);
        keys.integer("Landmark X", -1, last);
        keys.integer("Landmark Y", -1, last);
        std::array<std::string_view, 7> cars{};
        for (int c = -1; c <= 5; ++c)
            cars[static_cast<std::size_t>(c + 1)] = CityDescriptionFile::carName(c);
        keys.oneOf("Fakecarname", cars);
        keys.integer("Fakegunindex", -1, kMaxInt8);
        for (std::size_t d = 0; d < kDirections.size(); ++d) {
            const std::string name = "Hangar " + std::string(kDirections[d]);
            const auto hangar = keys.flag(name);
            if (!hangar || !expect.links || (*expect.links)[d] == *hangar)
                continue;
            keys.report(*keys.require(name), *hangar ? "but " + expect.origin + " has no " +
                                                           std::string(kDirections[d]) + " neighbour"
                                                     : "but " + expect.origin + " has a " +
                                                           std::string(kDirections[d]) + " neighbour");
        }
        keys.reportUnknown();
    }

    // Cell records [ixj], i and j in 0..size, each once.
    const int last = size.value_or(kSizeByChoice.back());
    const auto side = static_cast<std::size_t>(last + 1);
    std::vector<char> seen(side * side, 0);
    for (const IniSection& section : ini.sections()) {
        if (&section == general)
            continue;
        const std::string_view name = section.name;
        const std::size_t x = name.find('x');
        const auto i = x == std::string_view::npos ? std::nullopt : Keys::parseInteger(name.substr(0, x));
        const auto j = x == std::string_view::npos ? std::nullopt : Keys::parseInteger(name.substr(x + 1));
        if (!i || !j || *i < 0 || *j < 0) {
            findings.add(label, section.line, "[" + section.name + "] is not a cell record");
            continue;
        }
        if (*i > last || *j > last) {
            findings.add(label, section.line,
                         "cell record [" + section.name + "] lies outside the city (0.." + std::to_string(last) + ")");
            continue;
        }
        seen[static_cast<std::size_t>(*i) * side + static_cast<std::size_t>(*j)] = 1;
        Keys keys(section, label, findings);
        keys.text("Structure");
        if (const IniKey* key = keys.require("Orientation")) {
            const auto o = Keys::parseInteger(key->value);
            if (!o || !(*o == -1 || *o == 0 || *o == 90 || *o == 180 || *o == 270))
                keys.report(*key, "is not -1, 0, 90, 180 or 270");
        }
        keys.flag("Road");
        keys.reportUnknown();
    }
    if (size) {
        const auto missing = std::count(seen.begin(), seen.end(), 0);
        if (missing > 0) {
            const auto first = static_cast<std::size_t>(std::find(seen.begin(), seen.end(), 0) - seen.begin());
            findings.add(label, std::to_string(missing) + " of the " + std::to_string(seen.size()) +
                                    " cell records of a Size=" + std::to_string(last) + " city are missing (the first is [" +
                                    std::to_string(first / side) + "x" + std::to_string(first % side) + "])");
        }
    }
    return size;
}

void checkCityFiles(const fs::path& atlas, const std::string& name, const CityExpectation& expect, Findings& findings)
{
    const std::string iniLabel = "atlas/" + name + ".ini";
    FileState state = FileState::Missing;
    const auto text = readText(atlas / (name + ".ini"), iniLabel, findings, state);
    std::optional<int> last;
    if (state == FileState::Missing)
        findings.add(iniLabel, "missing (the description of " + expect.origin + ")");
    else if (text)
        last = checkDescription(*text, iniLabel, expect, findings);
    if (expect.sizeIndex)
        last = kSizeByChoice[static_cast<std::size_t>(*expect.sizeIndex)];

    for (const PictureKind& kind : kCityPictures) {
        const std::string label = "atlas/" + name + std::string(kind.suffix);
        const auto picture = readPictureHeader(atlas / (name + std::string(kind.suffix)), label, findings, state);
        if (state == FileState::Missing) {
            findings.add(label, "missing (a picture of " + expect.origin + ")");
            continue;
        }
        if (!picture || !last)
            continue;
        const int wanted = (*last + 1) * kind.pixelsPerCell;
        if (picture->width != wanted || picture->height != wanted)
            findings.add(label, "is " + std::to_string(picture->width) + " x " + std::to_string(picture->height) +
                                    " pixels; a city of Size=" + std::to_string(*last) + " needs " +
                                    std::to_string(wanted) + " x " + std::to_string(wanted) + " (" +
                                    std::to_string(kind.pixelsPerCell) + " pixels a cell)");
    }
}

// ---- start.ini ---------------------------------------------------------------

struct CityRecord {
    int sectionLine = 0;
    std::optional<std::string> name; // missing key: nullopt
    int nameLine = 0;
    std::optional<int> sizeIndex;
    std::array<std::optional<long long>, 4> neighbours; // NW, NE, SW, SE; -1 for none
    std::array<int, 4> neighbourLines{};
    bool usable = false; // a safe name not used by an earlier city: its files are checked
};

constexpr std::array<std::string_view, 10> kCityLandmarks{
    "None", "Spaceport", "Garage", "Carshop", "Gunshop", "Fort", "Lab", "Parking", "Excavation", "RebelHQ"};

const std::string kStartLabel = "atlas/start.ini";

void checkGeneral(const IniText& ini, Findings& findings, std::optional<int>& count, int minCities, int maxCities)
{
    const IniSection* general = ini.find("General");
    if (!general) {
        findings.add(kStartLabel, "section [General] is missing");
        return;
    }
    Keys keys(*general, kStartLabel, findings);
    if (const auto n = keys.integer("Number of cities", minCities, maxCities))
        count = static_cast<int>(*n);
    const int highest = count.value_or(maxCities);
    keys.integer("Location from", 1, highest);
    keys.integer("Location to", -2, highest);
    keys.text("Location lastPos");
    keys.integer("Cash", 0, kMaxInt32);
    keys.real("HealthBody", 0, 100, false, "0..100");
    for (const char* wheel : {"HealthWheelFL", "HealthWheelFR", "HealthWheelBL", "HealthWheelBR"})
        keys.real(wheel, 0, 100, false, "0..100");
    keys.integer("NumTasks", Campaign::kNumTasks, Campaign::kNumTasks);
    keys.reportUnknown();

    const IniSection* healthes = ini.find("Healthes");
    if (!healthes) {
        findings.add(kStartLabel, "section [Healthes] is missing");
        return;
    }
    Keys health(*healthes, kStartLabel, findings);
    for (const char* key : {"0", "1", "2", "3", "4"})
        health.real(key, 0, 100, false, "0..100");
    health.reportUnknown();
}

CityRecord readCity(const IniSection& section, int index, int count, Findings& findings)
{
    CityRecord city;
    city.sectionLine = section.line;
    Keys keys(section, kStartLabel, findings);
    if (const IniKey* name = keys.require("Name")) {
        city.name = name->value;
        city.nameLine = name->line;
    }
    keys.real("MoonX", 0, 1, true, "0 <= MoonX < 1");
    keys.real("MoonY", -0.5, 0.5, false, "-0.5..0.5");
    if (const auto size = keys.integer("Size", 0, 3))
        city.sizeIndex = static_cast<int>(*size);
    keys.oneOf("Landmark", kCityLandmarks);
    keys.flag("Explored");
    keys.integer("Rebels", 0, 100);
    for (std::size_t d = 0; d < kDirections.size(); ++d) {
        const std::string name = "Neighbour " + std::string(kDirections[d]);
        const IniKey* key = keys.require(name);
        if (!key)
            continue;
        const auto n = Keys::parseInteger(key->value);
        if (!n) {
            keys.report(*key, "is not a whole number");
        } else if (*n == index) {
            keys.report(*key, "links city " + std::to_string(index) + " to itself");
        } else if (*n != -1 && (*n < 1 || *n > count)) {
            keys.report(*key, "of city " + std::to_string(index) + " points outside 1.." + std::to_string(count) +
                                  " (-1 for none)");
        } else {
            city.neighbours[d] = *n;
            city.neighbourLines[d] = key->line;
        }
    }
    keys.reportUnknown();
    return city;
}

// Names double as file names: safe, not reserved, each used once.
void checkNames(std::vector<CityRecord>& cities, Findings& findings)
{
    std::unordered_map<std::string, int> firstUse; // lower-case name -> city index
    for (std::size_t i = 1; i < cities.size(); ++i) {
        CityRecord& city = cities[i];
        if (!city.name)
            continue;
        const std::string& name = *city.name;
        const std::string where = "city " + std::to_string(i) + ": ";
        try {
            CitySaver::checkCityName(name);
        } catch (const VantorError& e) {
            findings.add(kStartLabel, city.nameLine, where + e.what());
            continue;
        }
        const std::string low = lower(name);
        if (std::find(kReservedCityNames.begin(), kReservedCityNames.end(), low) != kReservedCityNames.end()) {
            findings.add(kStartLabel, city.nameLine,
                         where + "City name \"" + name +
                             "\" cannot be used: it is reserved for the single mission and the campaign's own files");
            continue;
        }
        const auto [at, added] = firstUse.emplace(low, static_cast<int>(i));
        if (!added) {
            findings.add(kStartLabel, city.nameLine,
                         where + "the name \"" + name + "\" is already city " + std::to_string(at->second) +
                             "'s (file names do not tell letter case apart)");
            continue;
        }
        city.usable = true;
    }
}

// A link from a to b in direction d must be answered by b's link back in the
// opposite direction.
void checkLinks(const std::vector<CityRecord>& cities, Findings& findings)
{
    for (std::size_t a = 1; a < cities.size(); ++a) {
        for (std::size_t d = 0; d < kDirections.size(); ++d) {
            const auto b = cities[a].neighbours[d];
            if (!b || *b == -1 || static_cast<std::size_t>(*b) >= cities.size())
                continue;
            const std::size_t back = 3 - d;
            const auto answer = cities[static_cast<std::size_t>(*b)].neighbours[back];
            if (!answer || *answer == static_cast<long long>(a))
                continue;
            findings.add(kStartLabel, cities[a].neighbourLines[d],
                         "Neighbour " + std::string(kDirections[d]) + "=" + std::to_string(*b) + " of city " +
                             std::to_string(a) + " is not answered: city " + std::to_string(*b) + " has Neighbour " +
                             std::string(kDirections[back]) + "=" + std::to_string(*answer));
        }
    }
}

void checkObjectives(const IniText& ini, const std::vector<CityRecord>& cities, Findings& findings)
{
    std::vector<std::string_view> names;
    for (std::size_t i = 1; i < cities.size(); ++i)
        if (cities[i].name)
            names.push_back(*cities[i].name);
    const auto known = [&](const std::string& name) {
        return std::find(names.begin(), names.end(), name) != names.end();
    };
    for (int k = 1; k <= Campaign::kNumTasks; ++k) {
        const std::string name = "Task" + std::to_string(k);
        const IniSection* section = ini.find(name);
        if (!section) {
            findings.add(kStartLabel, "section [" + name + "] is missing");
            continue;
        }
        Keys keys(*section, kStartLabel, findings);
        keys.flag("Found");
        keys.flag("Completed");
        keys.text("Heading");
        keys.text("Text");
        if (const IniKey* key = keys.text("Destination"); key && key->value != "none" && !known(key->value))
            keys.report(*key, "names no city of start.ini (nor is it \"none\")");
        if (const IniKey* key = keys.text("StartCity"); key && !known(key->value))
            keys.report(*key, "names no city of start.ini");
        keys.integer("Reward", 0, kMaxInt32);
        keys.integer("CarsToKill", -1, kMaxInt8);
        keys.integer("CarsTypeToKill", -1, kMaxInt8);
        keys.integer("GunToBuy", -1, kMaxInt8);
        keys.integer("CarToBuy", -1, 5);
        keys.flag("NeedLandmark");
        keys.reportUnknown();
    }
}

// Checks start.ini and returns its cities (index 0 unused); empty when the
// file is missing or unreadable.
std::vector<CityRecord> checkStartIni(const std::string& text, Findings& findings, AtlasReport& report)
{
    const int minCities = MoonMap::normalise(0, 6).cities + 1;
    const int maxCities = MoonMap::normalise(1000, 15).cities + 1;
    const std::vector<Line> lines = splitLines(text, kStartLabel, findings);
    const IniText ini(lines, kStartLabel, findings);

    std::optional<int> declared;
    checkGeneral(ini, findings, declared, minCities, maxCities);

    // Without a valid count the numbered sections present stand for the cities.
    int count = declared.value_or(0);
    if (!declared)
        for (const IniSection& section : ini.sections())
            if (const auto n = sectionNumber(section.name); n && *n <= maxCities)
                count = std::max(count, *n);
    report.cities = count;

    std::vector<CityRecord> cities(static_cast<std::size_t>(count) + 1);
    std::vector<bool> present(cities.size(), false);
    for (const IniSection& section : ini.sections()) {
        const std::string low = lower(section.name);
        if (low == "general" || low == "healthes")
            continue;
        if (const auto n = sectionNumber(section.name)) {
            if (*n > count) {
                findings.add(kStartLabel, section.line,
                             "section [" + section.name + "] lies beyond the " + std::to_string(count) + " cities");
                continue;
            }
            cities[static_cast<std::size_t>(*n)] = readCity(section, *n, count, findings);
            present[static_cast<std::size_t>(*n)] = true;
            continue;
        }
        if (low.starts_with("task")) {
            const auto k = sectionNumber(std::string_view(section.name).substr(4));
            if (k && *k <= Campaign::kNumTasks)
                continue; // checked in checkObjectives
        }
        findings.add(kStartLabel, section.line, "unknown section [" + section.name + "]");
    }
    for (int i = 1; i <= count; ++i)
        if (!present[static_cast<std::size_t>(i)])
            findings.add(kStartLabel, "section [" + std::to_string(i) + "] is missing (city " + std::to_string(i) +
                                          " of " + std::to_string(count) + ")");

    checkNames(cities, findings);
    checkLinks(cities, findings);
    checkObjectives(ini, cities, findings);
    return cities;
}

} // namespace

std::string AtlasReport::summary() const
{
    if (!sound())
        return "atlas/ has " + std::to_string(findings.size()) +
               (findings.size() == 1 ? " problem" : " problems");
    std::string text = "atlas/ is sound: ";
    text += campaign ? std::to_string(cities) + " cities, start.ini, moon.bmp" : std::string("no campaign");
    text += singleMission ? ", single mission" : ", no single mission";
    return text;
}

AtlasReport AtlasChecker::check(const std::filesystem::path& programDir)
{
    AtlasReport report;
    Findings findings(report.findings);
    const fs::path atlas = programDir / "atlas";
    std::error_code ec;
    const fs::file_status status = fs::status(atlas, ec);
    if (ec && ec != std::errc::no_such_file_or_directory) {
        // A link loop, a folder without permission: the system's own reason.
        findings.add("atlas", "cannot be opened: " + ec.message());
        return report;
    }
    if (!fs::exists(status)) {
        findings.add("atlas", "no such directory: the game has nothing to play");
        return report;
    }
    if (!fs::is_directory(status)) {
        findings.add("atlas", "is not a directory");
        return report;
    }

    // A save that was interrupted: what is in place may be part old, part new.
    FileState journalState = FileState::Missing;
    const std::string journalLabel = "atlas/" + std::string(AtlasDirectory::kJournalName);
    const auto journal = readText(atlas / AtlasDirectory::kJournalName, journalLabel, findings, journalState);
    if (journal) {
        std::string why;
        if (parseJournal(*journal, why))
            findings.add(journalLabel, "a save was interrupted: run 'vantor-cli repair' (or save again) to put the "
                                       "previous files back");
        else
            findings.add(journalLabel, "a save was interrupted and its journal cannot be used (" + why +
                                           "): look at atlas/ and move the journal away");
    }

    // The campaign.
    FileState startState = FileState::Missing;
    const auto startText = readText(atlas / "start.ini", kStartLabel, findings, startState);
    report.campaign = startState != FileState::Missing;
    if (startText) {
        const std::vector<CityRecord> cities = checkStartIni(*startText, findings, report);
        for (std::size_t i = 1; i < cities.size(); ++i) {
            const CityRecord& city = cities[i];
            if (!city.usable)
                continue;
            CityExpectation expect{"city " + std::to_string(i) + " of start.ini", city.sizeIndex, std::nullopt};
            if (std::all_of(city.neighbours.begin(), city.neighbours.end(), [](const auto& n) { return n.has_value(); }))
                expect.links = std::array<bool, 4>{*city.neighbours[0] != -1, *city.neighbours[1] != -1,
                                                   *city.neighbours[2] != -1, *city.neighbours[3] != -1};
            checkCityFiles(atlas, *city.name, expect, findings);
        }
    }

    FileState moonState = FileState::Missing;
    const auto moon = readPictureHeader(atlas / "moon.bmp", "atlas/moon.bmp", findings, moonState);
    report.moonMap = moonState != FileState::Missing;
    if (report.campaign && !report.moonMap)
        findings.add("atlas/moon.bmp", "missing (the campaign's Moon map)");
    if (!report.campaign && report.moonMap)
        findings.add(kStartLabel, "missing, but moon.bmp is there: a campaign without its description");
    if (moon && (moon->width != kMoonWidth || moon->height != kMoonHeight))
        findings.add("atlas/moon.bmp", "is " + std::to_string(moon->width) + " x " + std::to_string(moon->height) +
                                           " pixels; the Moon map is " + std::to_string(kMoonWidth) + " x " +
                                           std::to_string(kMoonHeight));

    // The single mission: all four files or none.
    int present = 0;
    for (const std::string_view name : kSingleMissionFiles) {
        std::error_code statusError;
        if (fs::symlink_status(atlas / name, statusError).type() != fs::file_type::not_found)
            ++present;
    }
    report.singleMission = present > 0;
    if (report.singleMission)
        checkCityFiles(atlas, "SingleCity", {"the single mission", std::nullopt, std::nullopt}, findings);

    if (!report.campaign && !report.singleMission && !report.moonMap)
        findings.add("atlas", "holds neither a campaign (start.ini) nor a single mission (SingleCity.ini)");
    findings.finish();
    return report;
}

} // namespace vantor
