#include "platform/terminationsignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int Pair[2] = {-1, -1};
constexpr int Handled[] = {SIGTERM, SIGINT};

void WriteSignal(int signalNumber) {
    const int savedErrno = errno;
    const char byte = static_cast<char>(signalNumber);
    // Never blocks: a full socket means an earlier signal is still unread, and ending once is
    // enough.
    [[maybe_unused]] const ssize_t written = ::write(Pair[0], &byte, 1);
    errno = savedErrno;
}

} // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
    if (Pair[0] != -1)
        throw std::logic_error("termination signals are already watched");
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, Pair) != 0)
        throw std::runtime_error("no socket pair for the termination signals");

    Notifier = new QSocketNotifier(Pair[1], QSocketNotifier::Read, this);
    connect(Notifier, &QSocketNotifier::activated, this, &TerminationSignals::ReadSignal);

    struct sigaction action {};
    action.sa_handler = WriteSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signalNumber : Handled)
        ::sigaction(signalNumber, &action, nullptr);
}

TerminationSignals::~TerminationSignals() {
    // The program is ending: a signal now must not kill it half-way with a failure status.
    for (const int signalNumber : Handled)
        ::signal(signalNumber, SIG_IGN);
    delete Notifier;
    ::close(Pair[0]);
    ::close(Pair[1]);
    Pair[0] = Pair[1] = -1;
}

void TerminationSignals::ReadSignal() {
    char byte = 0;
    if (::read(Pair[1], &byte, 1) == 1)
        emit Received(byte);
}
