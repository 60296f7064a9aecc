#include "shell/VantorError.hpp"

#include "platform/Platform.hpp"

#include <array>
#include <cerrno>
#include <cstring>
#include <string_view>
#include <utility>

namespace vantor {

namespace {

using Kind = VantorError::Kind;

// Every text of a kind, English and Czech side by side. {s} is the subject
// (file or name), {r} the reason in the same language.
struct KindText {
    Kind kind;
    std::string_view english;
    std::string_view czech;
};

constexpr std::array<KindText, 10> kTexts{{
    {Kind::CannotOpen, "Cannot open file {s}: {r}", "Nelze otevřít soubor {s}: {r}"},
    {Kind::CannotRead, "Cannot read file {s}: {r}", "Nelze přečíst soubor {s}: {r}"},
    {Kind::TooLarge, "Cannot read file {s}: it is larger than {r}", "Nelze přečíst soubor {s}: je větší než {r}"},
    {Kind::InvalidPicture, "Bitmap image is not valid: {s} ({r})", "Obrázek není platný soubor BMP: {s} ({r})"},
    {Kind::UnsafeName, "City name \"{s}\" cannot be used: {r}", "Název města „{s}“ nelze použít: {r}"},
    {Kind::CannotWrite, "Cannot write file {s}: {r}", "Nelze zapsat soubor {s}: {r}"},
    {Kind::CannotCreateDirectory, "Cannot create directory {s}: {r}", "Nelze vytvořit složku {s}: {r}"},
    {Kind::DataMissing, "Cannot generate: {s} is missing", "Nelze generovat: soubor {s} chybí"},
    {Kind::DataUnusable, "Cannot generate: {r}", "Nelze generovat: {r}"},
    {Kind::DataTooLarge, "The data pictures up to {s} would take more than {r} of memory",
     "Datové obrázky až po {s} by zabraly víc než {r} paměti"},
}};

std::string fill(std::string_view pattern, std::string_view subject, std::string_view reason)
{
    std::string out;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '{' && i + 2 < pattern.size() && pattern[i + 2] == '}') {
            if (pattern[i + 1] == 's') {
                out += subject;
                i += 2;
                continue;
            }
            if (pattern[i + 1] == 'r') {
                out += reason;
                i += 2;
                continue;
            }
        }
        out += pattern[i];
    }
    return out;
}

std::string render(Language language, Kind kind, const std::string& subject, const std::string& reason,
                   const std::string& reasonCzech, const std::string& whereFile, int whereLine,
                   const VantorError* cause)
{
    std::string body;
    if (kind == Kind::Message) {
        body = subject;
    } else if (kind == Kind::Translated) {
        body = language == Language::Czech && !reason.empty() ? reason : subject;
    } else {
        const bool czech = language == Language::Czech;
        std::string why = cause != nullptr ? cause->text(language) : (czech && !reasonCzech.empty() ? reasonCzech : reason);
        for (const KindText& t : kTexts)
            if (t.kind == kind)
                body = fill(czech ? t.czech : t.english, subject, why);
    }
    if (whereFile.empty())
        return body;
    return whereFile + std::string(tr(language, ", line ", ", řádek ")) + std::to_string(whereLine) + ": " + body;
}

} // namespace

VantorError::VantorError(const std::string& message) : VantorError(Kind::Message, message, {}, {}, 0, {}, 0, nullptr)
{
}

VantorError::VantorError(Kind kind, std::string subject, std::string reason, std::string reasonCzech)
    : VantorError(kind, std::move(subject), std::move(reason), std::move(reasonCzech), 0, {}, 0, nullptr)
{
}

VantorError::VantorError(Kind kind, std::string subject, std::string reason, std::string reasonCzech, int errnum,
                         std::string whereFile, int whereLine, std::shared_ptr<const VantorError> cause)
    : std::runtime_error(render(Language::English, kind, subject, reason, reasonCzech, whereFile, whereLine, cause.get())),
      kind_(kind), subject_(std::move(subject)), reason_(std::move(reason)), reasonCzech_(std::move(reasonCzech)),
      errno_(errnum), whereFile_(std::move(whereFile)), whereLine_(whereLine), cause_(std::move(cause))
{
}

VantorError VantorError::system(Kind kind, const std::string& file, int errnum)
{
    return VantorError(kind, file, platform::errorText(errnum), {}, errnum, {}, 0, nullptr);
}

VantorError VantorError::translated(std::string english, std::string czech, int errnum)
{
    return VantorError(Kind::Translated, std::move(english), std::move(czech), {}, errnum, {}, 0, nullptr);
}

VantorError VantorError::atLine(const std::string& file, int line) const
{
    return VantorError(kind_, subject_, reason_, reasonCzech_, errno_, file, line, cause_);
}

VantorError VantorError::dataFile(const std::string& file, const VantorError& cause)
{
    if (cause.systemError() == ENOENT)
        return VantorError(Kind::DataMissing, file, {}, {}, ENOENT, {}, 0, nullptr);
    return VantorError(Kind::DataUnusable, file, {}, {}, cause.systemError(), {}, 0,
                       std::make_shared<const VantorError>(cause));
}

std::string VantorError::text(Language language) const
{
    return render(language, kind_, subject_, reason_, reasonCzech_, whereFile_, whereLine_, cause_.get());
}

std::string errorText(const std::exception& error, Language language)
{
    if (const auto* v = dynamic_cast<const VantorError*>(&error))
        return v->text(language);
    return error.what();
}

std::string escapeControls(std::string_view text)
{
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F) {
            out += "\\x";
            out += kHex[u >> 4];
            out += kHex[u & 0xF];
        } else if (c == '\\') {
            out += "\\\\";
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace vantor
