#include "loop/StopSignals.h"

#include "runtime/Exception.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <string>
#include <sys/signalfd.h>
#include <unistd.h>

namespace {
sigset_t StopSet()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    return set;
}
} // namespace

namespace loop {

void StopSignals::Block()
{
    const sigset_t set = StopSet();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

int StopSignals::OpenFd()
{
    const sigset_t set = StopSet();
    const int fd = signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
    if (fd < 0)
        throw runtime::Exception(std::string("signalfd: ") + std::strerror(errno));
    return fd;
}

StopSignals::StopSignals(QObject* parent) : QObject(parent), fd_(OpenFd())
{
    notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &StopSignals::readPending);
}

StopSignals::~StopSignals()
{
    delete notifier_;
    ::close(fd_);
}

void StopSignals::readPending()
{
    signalfd_siginfo info{};
    while (::read(fd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info))
        emit received(static_cast<int>(info.ssi_signo));
}

} // namespace loop
