#pragma once
// Stops the desktop program cleanly on SIGINT, SIGTERM and SIGHUP (Ctrl+C,
// `kill`, the end of a desktop session).
//
// StopSignals holds the signal plumbing: the handler only records the signal
// and writes one byte into a socket pair; a notifier on the GUI thread reads
// it and emits stopRequested() there, where windows may be touched. On
// Windows the platform layer's console handler (Ctrl-C, Ctrl-Break, the
// console closed, log-off) queues the same report onto the GUI thread.
//
// StopOnSignal is what the program does then: a campaign is cancelled as the
// progress dialog's Cancel button cancels it (it stops before the next city or
// before it is moved into place; the previous campaign stays), a single
// mission's save stops before its files are renamed into place (or finishes
// when it is already past that point), and once no work runs any more the
// windows are closed and the program quits with 128 + the signal number.
//
// A signal that arrives before a StopOnSignal listens (at start-up, say while
// the box reporting a wrong --root is open) has no work to stop: the program
// ends at once with 128 + the signal.

#include <QObject>

#include <functional>

class QSocketNotifier;
struct VantorWindows;

class StopSignals final : public QObject {
    Q_OBJECT
public:
    // Installs the handlers; only one StopSignals may exist at a time.
    explicit StopSignals(QObject* parent = nullptr);
    // What a signal nobody listens to does (tests record it); by default the
    // process ends with the status given, 128 + the signal.
    void setUnheardStop(std::function<void(int status)> stop) { unheardStop_ = std::move(stop); }
    // Puts the previous handlers back and forgets the signal received.
    ~StopSignals() override;
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // The first stop signal received, 0 while none. Set by the handler
    // itself, so it can be asked at any time, also before the notifier ran.
    static int received() noexcept;

signals:
    // On the GUI thread, once, for the first signal received.
    void stopRequested(int signal);

private slots:
    void readSignals();

private:
    QSocketNotifier* notifier_ = nullptr;
    bool reported_ = false;
    std::function<void(int)> unheardStop_;
};

class StopOnSignal final : public QObject {
    Q_OBJECT
public:
    // dismissBoxes: from now on no message box waits for an answer (an open
    // one is closed); quit: ends the event loop with the exit status.
    StopOnSignal(StopSignals& stopSignals, VantorWindows& windows, std::function<void()> dismissBoxes,
                 std::function<void(int status)> quit, QObject* parent = nullptr);

    // 128 + the signal once one was received, 0 before.
    int exitStatus() const noexcept { return status_; }

    // Stops the work and quits once none runs; what a received signal does.
    void stop(int signal);

private:
    void quitWhenIdle();

    VantorWindows& windows_;
    std::function<void()> dismissBoxes_;
    std::function<void(int)> quit_;
    int status_ = 0;
    bool quitting_ = false;
};
