#include "gui/ProgressDialog.hpp"

#include "gui/WindowFont.hpp"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>

namespace {

// The dialog's texts; they have no Czech form.
constexpr const char* kTitle = "Work in progress...";
constexpr const char* kTaskDesignText = "Current task:";
constexpr const char* kTotalText = "Total progress";
constexpr const char* kCancelText = "Cancel";

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
    setWindowTitle(kTitle);
    setFixedSize(kClientWidth, kClientHeight);
    move(kScreenLeft, kScreenTop);

    // Created in the tab order of the dialog.
    LabelTask = new QLabel(kTaskDesignText, this);
    LabelTask->setObjectName("LabelTask");
    LabelTask->move(24, 16);
    LabelTask->adjustSize();

    ProgressBarTask = makeBar(this, "ProgressBarTask", 32);

    ButtonCancel = new QPushButton(kCancelText, this);
    ButtonCancel->setObjectName("ButtonCancel");
    ButtonCancel->setGeometry(712, 88, 75, 25);
    connect(ButtonCancel, &QPushButton::clicked, this, &ProgressDialog::ButtonCancelClick);

    ProgressBarTotal = makeBar(this, "ProgressBarTotal", 88);

    LabelTotal = new QLabel(kTotalText, this);
    LabelTotal->setObjectName("LabelTotal");
    LabelTotal->move(24, 72);
    LabelTotal->adjustSize();
}

void ProgressDialog::showWork()
{
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

void ProgressDialog::ButtonCancelClick()
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
