#pragma once
// The message boxes the windows show: warnings, information, errors and
// yes/no questions. The desktop program shows real modal boxes; tests answer
// them from a script without blocking. Warnings and information are shown
// again until the user closes them with OK, or until the program is being
// stopped (a stop signal), when no box waits for anyone.

#include "shell/Language.hpp"

#include <filesystem>
#include <string_view>

namespace vantor {

class MessageBoxes {
public:
    enum class Kind { Warning, Information, Error, Question };
    // The button that closed the box; Closed when none did (close box,
    // Escape); Dismissed when the program is being stopped and nobody will
    // answer (a question so answered is declined).
    enum class Answer { Ok, Yes, No, Closed, Dismissed };

    virtual ~MessageBoxes() = default;

    // Shows one modal box: OK for Warning, Information and Error; Yes and No
    // for Question. Returns the answer.
    virtual Answer show(Kind kind, std::string_view text) = 0;

    // A warning, shown again until it is closed with OK (or dismissed).
    void warning(std::string_view text) { repeatUntilOk(Kind::Warning, text); }
    // Information, shown again until it is closed with OK (or dismissed).
    void information(std::string_view text) { repeatUntilOk(Kind::Information, text); }
    // Work saved into `folder`: information that names the folder; the
    // desktop program's box also offers to open it.
    virtual void savedIn(std::string_view text, const std::filesystem::path& folder, Language language)
    {
        (void)folder;
        (void)language;
        information(text);
    }
    // An error report (a failed load, generation or save), shown once.
    void error(std::string_view text) { show(Kind::Error, text); }

private:
    void repeatUntilOk(Kind kind, std::string_view text)
    {
        Answer answer = show(kind, text);
        while (answer == Answer::Closed)
            answer = show(kind, text);
    }
};

} // namespace vantor
