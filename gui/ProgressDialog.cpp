#include "gui/ProgressDialog.hpp"

#include "gui/QtText.hpp"
#include "gui/WindowFont.hpp"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>
#include <array>

namespace {

// The dialog's own texts, English and Czech side by side.
enum TextId { TextTitle, TextTask, TextTotal, TextCancel, TextCount };
constexpr std::array<WindowText, TextCount> kTexts{{
    {"Work in progress...", "Probíhá práce..."},
    {"Current task:", "Právě probíhá:"},
    {"Total progress", "Celkový postup"},
    {"&Cancel", "&Zrušit"},
}};

constexpr int kClientWidth = 797;
constexpr int kClientHeight = 123;
constexpr int kScreenLeft = 12;
constexpr int kScreenTop = 13;

QProgressBar* makeBar(QWidget* parent, const char* name, int top)
{
    auto* bar = new QProgressBar(parent);
    bar->setObjectName(name);
    bar->setGeometry(8, top, 689, 25);
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setTextVisible(false);
    return bar;
}

} // namespace

ProgressDialog::ProgressDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName("FormProgress");
    setFont(windowFont());
    // A fixed dialog: no resizing, no minimise or maximise box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint);
    setWindowTitle(translated(vantor::Language::English, kTexts[TextTitle]));
    setFixedSize(kClientWidth, kClientHeight);
    move(kScreenLeft, kScreenTop);

    // Created in the tab order of the dialog.
    LabelTask = new QLabel(translated(vantor::Language::English, kTexts[TextTask]), this);
    LabelTask->setObjectName("LabelTask");
    LabelTask->move(24, 16);
    LabelTask->adjustSize();

    ProgressBarTask = makeBar(this, "ProgressBarTask", 32);

    ButtonCancel = new QPushButton(translated(vantor::Language::English, kTexts[TextCancel]), this);
    ButtonCancel->setObjectName("ButtonCancel");
    ButtonCancel->setGeometry(712, 88, 75, 25);
    ButtonCancel->setDefault(true);
    connect(ButtonCancel, &QPushButton::clicked, this, &ProgressDialog::cancelWorkAndWait);

    ProgressBarTotal = makeBar(this, "ProgressBarTotal", 88);

    LabelTotal = new QLabel(translated(vantor::Language::English, kTexts[TextTotal]), this);
    LabelTotal->setObjectName("LabelTotal");
    LabelTotal->move(24, 72);
    LabelTotal->adjustSize();
}

void ProgressDialog::showWork(const QWidget* over, vantor::Language language)
{
    setWindowTitle(translated(language, kTexts[TextTitle]));
    LabelTotal->setText(translated(language, kTexts[TextTotal]));
    LabelTotal->adjustSize();
    ButtonCancel->setText(translated(language, kTexts[TextCancel]));
    ProgressBarTask->setValue(0);
    LabelTask->setText(translated(language, kTexts[TextTask]));
    LabelTask->adjustSize();
    // Centred over the window whose work it shows.
    if (over != nullptr) {
        // Frame over frame; before the first showing the own frame is not
        // known yet, and the dialog is off by the frame's border at most.
        const QRect own = frameGeometry();
        move(over->frameGeometry().center() - QPoint(own.width() / 2, own.height() / 2));
    }
    // The wizards that start work are modal; the dialog is made application
    // modal while shown so that its Cancel button stays reachable above them.
    // The wizard's own buttons are disabled during the work anyway.
    setWindowModality(Qt::ApplicationModal);
    show();
    raise();
    activateWindow();
}

void ProgressDialog::closeWork()
{
    hide();
    setWindowModality(Qt::NonModal);
}

void ProgressDialog::setTask(std::string_view text)
{
    LabelTask->setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    LabelTask->adjustSize();
}

void ProgressDialog::setTaskProgress(int percent)
{
    ProgressBarTask->setValue(std::clamp(percent, 0, 100));
}

void ProgressDialog::setTotalProgress(int percent)
{
    ProgressBarTotal->setValue(std::clamp(percent, 0, 100));
}

void ProgressDialog::pump()
{
    QCoreApplication::processEvents();
}

void ProgressDialog::requestCancel()
{
    if (cancelHandler_)
        cancelHandler_();
}

void ProgressDialog::cancelWorkAndWait()
{
    requestCancel();
    QCoreApplication::processEvents();
}

// The work that showed the dialog hides it when it ends; the user cannot.
void ProgressDialog::closeEvent(QCloseEvent* event)
{
    event->ignore();
    if (isVisible())
        requestCancel();
}

void ProgressDialog::reject()
{
    if (isVisible())
        requestCancel();
}
