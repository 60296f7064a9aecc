#include "gui/StopSignals.hpp"

#include "gui/VantorWindows.hpp"

#include <QMetaMethod>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <utility>

#ifdef _WIN32
#include "platform/Platform.hpp"

#include <atomic>
#else
#include <cerrno>
#include <sys/socket.h>
#include <unistd.h>
#endif

#ifdef _WIN32

namespace {

// The first stop request (Ctrl-C or Ctrl-Break in the console the program
// was started from, the console closed, log-off or shutdown), and the
// StopSignals that reports it.
volatile std::sig_atomic_t receivedSignal = 0;
std::atomic<StopSignals*> listening{nullptr};

// On the console's control thread: records the request and queues its
// report on the GUI thread. The platform layer then holds that thread a few
// seconds, so that the program ends by its own orderly exit.
void onStopRequest(int request)
{
    if (receivedSignal == 0)
        receivedSignal = request;
    if (StopSignals* const self = listening.load())
        QMetaObject::invokeMethod(self, "readSignals", Qt::QueuedConnection);
}

} // namespace

StopSignals::StopSignals(QObject* parent) : QObject(parent)
{
    receivedSignal = 0;
    listening = this;
    vantor::platform::installStopHandlers(onStopRequest);
}

StopSignals::~StopSignals()
{
    listening = nullptr;
    receivedSignal = 0;
}

#else

namespace {

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Shared with the handler: the first signal and the socket pair's write end.
volatile std::sig_atomic_t receivedSignal = 0;
volatile std::sig_atomic_t writeEnd = -1;
int readEnd = -1;
struct sigaction previousActions[std::size(kStopSignals)];

// Async-signal-safe: records the signal and wakes the GUI thread. The write
// end does not block, so a flood of signals cannot hang the handler.
extern "C" void onStopSignal(int signal)
{
    const int savedErrno = errno;
    if (receivedSignal == 0)
        receivedSignal = signal;
    const char byte = static_cast<char>(signal);
    if (writeEnd >= 0) {
        [[maybe_unused]] const ssize_t written = ::write(writeEnd, &byte, 1);
    }
    errno = savedErrno;
}

} // namespace

StopSignals::StopSignals(QObject* parent) : QObject(parent)
{
    receivedSignal = 0;
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, ends) != 0) {
        qWarning("vantor: no socket pair for the stop signals; they end the program at once");
        return;
    }
    readEnd = ends[0];
    writeEnd = ends[1];
    notifier_ = new QSocketNotifier(readEnd, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &StopSignals::readSignals);

    struct sigaction action {};
    action.sa_handler = onStopSignal;
    // One stop signal at a time: the first one recorded is the one reported.
    sigemptyset(&action.sa_mask);
    for (const int signal : kStopSignals)
        sigaddset(&action.sa_mask, signal);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < std::size(kStopSignals); ++i) {
        sigaction(kStopSignals[i], &action, &previousActions[i]);
        // A signal ignored at start (nohup, a background job) stays ignored.
        if (previousActions[i].sa_handler == SIG_IGN)
            sigaction(kStopSignals[i], &previousActions[i], nullptr);
    }
}

StopSignals::~StopSignals()
{
    if (notifier_ == nullptr)
        return;
    for (std::size_t i = 0; i < std::size(kStopSignals); ++i)
        sigaction(kStopSignals[i], &previousActions[i], nullptr);
    delete notifier_;
    const int write = writeEnd;
    writeEnd = -1;
    ::close(write);
    ::close(readEnd);
    readEnd = -1;
    receivedSignal = 0;
}

#endif

int StopSignals::received() noexcept
{
    return receivedSignal;
}

void StopSignals::readSignals()
{
#ifndef _WIN32
    char bytes[64];
    while (::read(readEnd, bytes, sizeof bytes) > 0) {
    }
#endif
    if (receivedSignal == 0 || reported_)
        return;
    reported_ = true;
    const int signal = receivedSignal;
    if (!isSignalConnected(QMetaMethod::fromSignal(&StopSignals::stopRequested))) {
        if (unheardStop_) {
            unheardStop_(128 + signal);
            return;
        }
        // No window exists yet, so no work runs and no file is open for
        // writing: ending here is the whole clean-up, even inside a box's
        // event loop.
        std::fflush(nullptr);
        std::_Exit(128 + signal);
    }
    emit stopRequested(signal);
}

StopOnSignal::StopOnSignal(StopSignals& stopSignals, VantorWindows& windows, std::function<void()> dismissBoxes,
                           std::function<void(int status)> quit, QObject* parent)
    : QObject(parent), windows_(windows), dismissBoxes_(std::move(dismissBoxes)), quit_(std::move(quit))
{
    connect(&stopSignals, &StopSignals::stopRequested, this, &StopOnSignal::stop);
    // The single mission's save asks the handler's record itself: the signal
    // counts even when it came after the save's last look at the event queue.
    windows_.cityEditor.setStopCheck([] { return StopSignals::received() != 0; });
    // Queued: the wizard finishes the step's function before the program quits.
    connect(&windows_.cityEditor, &CityWizard::workEnded, this, &StopOnSignal::quitWhenIdle, Qt::QueuedConnection);
    connect(&windows_.campaignEditor, &CampaignWizard::workEnded, this, &StopOnSignal::quitWhenIdle,
            Qt::QueuedConnection);
}

void StopOnSignal::stop(int signal)
{
    if (status_ != 0)
        return;
    status_ = 128 + signal;
    if (dismissBoxes_)
        dismissBoxes_();
    // What the progress dialog's Cancel button does: stops a campaign, nothing else.
    windows_.progress.cancelWork();
    quitWhenIdle();
}

// Quits once neither wizard works; a wizard still working calls again when its work ends.
void StopOnSignal::quitWhenIdle()
{
    if (status_ == 0 || quitting_ || windows_.cityEditor.busy() || windows_.campaignEditor.busy())
        return;
    quitting_ = true;
    // Closed as the user closes them: the campaign wizard discards its campaign.
    windows_.campaignEditor.close();
    windows_.ground.close();
    windows_.cityEditor.close();
    windows_.menu.close();
    quit_(status_);
}
