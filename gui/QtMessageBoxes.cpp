#include "gui/QtMessageBoxes.hpp"

#include "gui/QtText.hpp"

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QPushButton>

#include <cstdio>

QtMessageBoxes::Answer QtMessageBoxes::show(Kind kind, std::string_view text)
{
    return run(kind, text, nullptr, vantor::Language::English);
}

void QtMessageBoxes::savedIn(std::string_view text, const std::filesystem::path& folder, vantor::Language language)
{
    Answer answer = Answer::Closed;
    while (answer == Answer::Closed)
        answer = run(Kind::Information, text, &folder, language);
    if (answer != Answer::Yes)
        return;
    const QUrl url = QUrl::fromLocalFile(QString::fromStdU16String(folder.u16string()));
    if (openFolder_)
        openFolder_(url);
    else
        QDesktopServices::openUrl(url);
}

QtMessageBoxes::Answer QtMessageBoxes::run(Kind kind, std::string_view text, const std::filesystem::path* folder,
                                           vantor::Language language)
{
    QWidget* parent = parent_ != nullptr ? parent_ : QApplication::activeWindow();
    const QString title = QApplication::applicationName();
    // The program's texts break lines with a carriage return.
    const QString message =
        QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (dismissed_) {
        if (!reported_)
            std::fprintf(stderr, "vantor: %s\n", qPrintable(QString(message).replace(QLatin1Char('\n'), QLatin1Char(' '))));
        reported_ = true;
        return Answer::Dismissed;
    }

    QMessageBox box(parent);
    box.setWindowTitle(title);
    box.setText(message);
    switch (kind) {
    case Kind::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case Kind::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case Kind::Error:
        box.setIcon(QMessageBox::Critical);
        break;
    case Kind::Question:
        box.setIcon(QMessageBox::Question);
        break;
    }
    if (kind == Kind::Question) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::No);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
        box.setDefaultButton(QMessageBox::Ok);
    }
    QPushButton* open = nullptr;
    if (folder != nullptr)
        open = box.addButton(fromUtf8(vantor::tr(language, "&Open folder", "&Otevřít složku")), QMessageBox::ActionRole);
    QMessageBox* const outer = open_;
    open_ = &box;
    box.exec();
    open_ = outer;
    if (dismissed_)
        return Answer::Dismissed;
    QAbstractButton* clicked = box.clickedButton();
    if (clicked == nullptr)
        return Answer::Closed;
    if (clicked == open)
        return Answer::Yes;
    switch (box.standardButton(clicked)) {
    case QMessageBox::Ok:
        return Answer::Ok;
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Closed;
    }
}

void QtMessageBoxes::dismiss()
{
    dismissed_ = true;
    if (open_ != nullptr)
        open_->reject();
}
