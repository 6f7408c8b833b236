#include "platform/EndRequests.h"

#include <QSocketNotifier>
#include <cerrno>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

namespace
{

constexpr int EndSignals[] = {SIGTERM, SIGHUP, SIGINT};
// The handler may only write to a pipe; the main thread reads the signal's number from it.
int signalPipe[2] = {-1, -1};

void WriteSignalNumber(int signalNumber)
{
    const int savedErrno = errno;
    const char byte = static_cast<char>(signalNumber);
    [[maybe_unused]] const ssize_t written = write(signalPipe[1], &byte, 1);
    errno = savedErrno;
}

void SetHandler(void (*handler)(int))
{
    struct sigaction action {
    };
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signalNumber : EndSignals)
        sigaction(signalNumber, &action, nullptr);
}

} // namespace

TEndRequests::TEndRequests(QObject *parent) : QObject(parent)
{
    if (pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return; // without a pipe the signals keep their default: the process ends as before
    m_notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TEndRequests::SignalArrived);
    SetHandler(WriteSignalNumber);
}

TEndRequests::~TEndRequests()
{
    if (m_notifier == nullptr)
        return;
    SetHandler(SIG_DFL);
    close(signalPipe[0]);
    close(signalPipe[1]);
    signalPipe[0] = signalPipe[1] = -1;
}

void TEndRequests::SignalArrived()
{
    char byte = 0;
    while (read(signalPipe[0], &byte, 1) == 1)
        emit EndRequested(static_cast<unsigned char>(byte));
}
