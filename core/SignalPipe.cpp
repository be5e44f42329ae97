#include "core/SignalPipe.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

int g_pipe[2] = { -1, -1 };

extern "C" void WriteSignalNumber(int signalNumber)
{
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
    errno = savedErrno;
}

void SetHandler(const QList<int>& signalNumbers, void (*handler)(int))
{
    struct sigaction action { };
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : signalNumbers)
        ::sigaction(number, &action, nullptr);
}

} // namespace

SignalPipe::SignalPipe(const QList<int>& signalNumbers, QObject* parent)
    : QObject(parent)
    , m_signalNumbers(signalNumbers)
{
    if (g_pipe[0] >= 0 || ::pipe(g_pipe) != 0)
        return;
    // Non-blocking: a burst of signals must never stall the handler, and
    // drain() stops when the pipe is empty. Not inherited by child programs.
    for (const int fd : g_pipe) {
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    m_notifier = std::make_unique<QSocketNotifier>(g_pipe[0], QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &SignalPipe::drain);
    SetHandler(m_signalNumbers, WriteSignalNumber);
}

SignalPipe::~SignalPipe()
{
    if (!m_notifier)
        return;
    SetHandler(m_signalNumbers, SIG_DFL);
    m_notifier.reset();
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

void SignalPipe::drain()
{
    unsigned char bytes[16];
    ssize_t count = 0;
    while ((count = ::read(g_pipe[0], bytes, sizeof bytes)) > 0) {
        for (ssize_t i = 0; i < count; ++i)
            Q_EMIT received(bytes[i]);
    }
}
