#pragma once
// The progress dialog: what the program is working on while a city is
// generated or saved, or a campaign written. It is the progress sink of the
// generator and the city saver; its Cancel button reaches whoever set a
// cancel handler (the campaign), nothing else. Escape and the window's close
// button mean Cancel too, so nothing the user presses makes the dialog vanish
// while work goes on: it is hidden only by closeWork(). It opens centred
// over the window whose work it shows, in that window's language.

#include "city/ProgressSink.hpp"
#include "shell/Language.hpp"

#include <QDialog>

#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;

class ProgressDialog final : public QDialog, public vantor::ProgressSink {
    Q_OBJECT
public:
    explicit ProgressDialog(QWidget* parent = nullptr);

    // Shows the dialog without waiting for it and brings it to the front,
    // centred over `over` (where it stands when null), its own texts in
    // `language`, the task bar at 0.
    void showWork(const QWidget* over = nullptr, vantor::Language language = vantor::Language::English);
    // Hides the dialog.
    void closeWork();

    // ProgressSink: the task line, the task bar 0..100 and one round of pending events.
    void setTask(std::string_view text) override;
    void setTaskProgress(int percent) override;
    void pump() override;

    // The total bar, 0..100 (used by the campaign).
    void setTotalProgress(int percent);

    // What Cancel does; empty (the default) makes it do nothing.
    void setCancelHandler(std::function<void()> handler) { cancelHandler_ = std::move(handler); }
    // What the Cancel button does, asked for by the program (a stop signal).
    void cancelWork() { requestCancel(); }

protected:
    // The window's close button: Cancel when a cancel handler is set, else nothing.
    void closeEvent(QCloseEvent* event) override;
    // Escape: the same.
    void reject() override;

private slots:
    // Cancel pressed: the request, then one round of pending events.
    void cancelWorkAndWait();

private:
    void requestCancel();

    QLabel* LabelTask;
    QProgressBar* ProgressBarTask;
    QPushButton* ButtonCancel;
    QProgressBar* ProgressBarTotal;
    QLabel* LabelTotal;
    std::function<void()> cancelHandler_;
};
