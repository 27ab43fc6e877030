#include "tools/kovr-sim/signal_descriptor.h"

#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>

namespace kovr::sim {

SignalDescriptor::SignalDescriptor()
{
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigprocmask(SIG_BLOCK, &signals, nullptr);
    fd_ = signalfd(-1, &signals, SFD_CLOEXEC);
    if (fd_ < 0) {
        throw std::runtime_error(std::string("signalfd: ") + std::strerror(errno));
    }
}

SignalDescriptor::~SignalDescriptor()
{
    close(fd_);
}

void SignalDescriptor::Consume() const
{
    signalfd_siginfo info{};
    (void)!read(fd_, &info, sizeof info);
}

} // namespace kovr::sim
