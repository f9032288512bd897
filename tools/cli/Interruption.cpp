#include "Interruption.h"

#include <iterator>
#include <type_traits>

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

// A signal handler reaches nothing but static storage: here, the cancel byte of the one
// transfer that an Interruption guards.
kAPI::CancelFlag* volatile cancelByte = nullptr;

extern "C" void RequestCancel(int)
{
    if (cancelByte != nullptr)
        cancelByte->store(1);  // lock-free, so safe in a handler
}

}  // namespace

Interruption::Interruption(kAPI::CancelFlag* cancel)
{
    static_assert(std::size(kSignals) == std::extent_v<decltype(previous_)>);
    static_assert(kAPI::CancelFlag::is_always_lock_free, "a signal handler sets it");
    cancelByte = cancel;
    struct sigaction action {};
    action.sa_handler = RequestCancel;
    sigemptyset(&action.sa_mask);
    // SA_RESTART: a wait for the line to drain goes on instead of failing the request.
    // SA_RESETHAND: the next signal of the kind ends the program, for a person who will
    // not wait for the block boundary.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    for (std::size_t i = 0; i < std::size(kSignals); ++i) {
        sigaction(kSignals[i], nullptr, &previous_[i]);
        if (previous_[i].sa_handler != SIG_IGN)
            sigaction(kSignals[i], &action, nullptr);
    }
}

Interruption::~Interruption()
{
    for (std::size_t i = 0; i < std::size(kSignals); ++i)
        sigaction(kSignals[i], &previous_[i], nullptr);
    cancelByte = nullptr;
}
