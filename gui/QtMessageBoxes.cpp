#include "gui/QtMessageBoxes.hpp"

#include <QApplication>
#include <QMessageBox>

QtMessageBoxes::Answer QtMessageBoxes::show(Kind kind, std::string_view text)
{
    QWidget* parent = parent_ != nullptr ? parent_ : QApplication::activeWindow();
    const QString title = QApplication::applicationName();
    // The program's texts break lines with a carriage return.
    const QString message =
        QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).replace(QLatin1Char('\r'), QLatin1Char('\n'));

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
        box.setDefaultButton(QMessageBox::Yes);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    if (clicked == nullptr)
        return Answer::Closed;
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
