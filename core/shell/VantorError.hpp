#pragma once
// The one error type of the core. Its text is what the user is shown: it
// always names the file, option or value at fault, and for a failed system
// call the system's reason (strerror; on Windows the system's own text).
//
// Errors a user can meet in normal use (a missing or broken picture, a name
// that cannot be a file name, a file that cannot be read or written) carry a
// kind, the file or name at fault and the reason, so text(language) can give
// them in English or Czech; the texts stand side by side in one table in
// VantorError.cpp. Every other error is a plain English message. what() is
// always the English text.

#include "shell/Language.hpp"

#include <exception>
#include <memory>
#include <stdexcept>
#include <string>

namespace vantor {

class VantorError : public std::runtime_error {
public:
    enum class Kind {
        Message,               // free English text
        CannotOpen,            // subject: file; reason: the system's
        CannotRead,            // subject: file; reason: the system's
        TooLarge,              // subject: file; reason: the limit, "1 MiB"
        InvalidPicture,        // subject: file; reason: what is wrong
        UnsafeName,            // subject: the name, control characters escaped; reason: why
        CannotWrite,           // subject: file; reason: the system's
        CannotCreateDirectory, // subject: directory; reason: the system's
        DataMissing,           // subject: the data file that does not exist
        DataUnusable,          // subject: the data file; the cause says why
        DataTooLarge,          // subject: the data file that passed the bound; reason: the bound
        Translated,            // subject: the whole English text; reason: the whole Czech text
    };

    // A plain English message (Kind::Message).
    explicit VantorError(const std::string& message);
    explicit VantorError(const char* message) : VantorError(std::string(message)) {}

    // A kind with its subject and reason; `reasonCzech` is the reason in
    // Czech where the reason is the program's own text (empty: the same as
    // `reason`, as for the system's reasons and picture details).
    VantorError(Kind kind, std::string subject, std::string reason = {}, std::string reasonCzech = {});

    // A failed system call on `file`: the reason is the system's text for errnum.
    static VantorError system(Kind kind, const std::string& file, int errnum);

    // A message the program words itself, in both languages (Kind::Translated).
    static VantorError translated(std::string english, std::string czech, int errnum = 0);

    // The same error, said of a line of a file: "<file>, line <n>: <text>".
    VantorError atLine(const std::string& file, int line) const;
    // A data file that cannot serve: DataMissing when `cause` is a file that
    // does not exist, DataUnusable (with the cause's text) otherwise.
    static VantorError dataFile(const std::string& file, const VantorError& cause);

    Kind kind() const noexcept { return kind_; }
    const std::string& subject() const noexcept { return subject_; }
    const std::string& reason() const noexcept { return reason_; }
    // errno of the failed system call, 0 when none.
    int systemError() const noexcept { return errno_; }

    // The text in the language; English is what().
    std::string text(Language language) const;

private:
    VantorError(Kind kind, std::string subject, std::string reason, std::string reasonCzech, int errnum,
                std::string whereFile, int whereLine, std::shared_ptr<const VantorError> cause);

    Kind kind_ = Kind::Message;
    std::string subject_;
    std::string reason_;
    std::string reasonCzech_;
    int errno_ = 0;
    std::string whereFile_;
    int whereLine_ = 0;
    std::shared_ptr<const VantorError> cause_;
};

// The text of any exception for the user: VantorError in the language,
// anything else as it stands.
std::string errorText(const std::exception& error, Language language);

// A name as it may be shown on a terminal or in a window: control
// characters (and DEL) written as \xHH, a backslash as \\, the rest as is.
std::string escapeControls(std::string_view text);

} // namespace vantor
