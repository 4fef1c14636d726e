#include "platform/RemoveOnStop.h"

#include <array>
#include <atomic>
#include <csignal>
#include <cstring>
#include <limits.h>
#include <mutex>
#include <unistd.h>

namespace tarnix::platform {

namespace {

// Fixed room the handler can read without taking a lock or memory.
struct Slot {
    std::atomic<bool> taken{false};
    std::atomic<bool> ready{false}; // `path` is whole
    char path[PATH_MAX];
};
std::array<Slot, 8> slots;

constexpr int Stops[] = {SIGINT, SIGTERM};

extern "C" void removeAndStop(int number) {
    for (Slot& slot : slots)
        if (slot.ready.load())
            ::unlink(slot.path);
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    ::sigaction(number, &standard, nullptr);
    ::raise(number); // blocked until the handler returns; then it ends the program
}

std::mutex installing;
int users = 0;

// Puts the handler in place where the signal's action is the default one.
void install() {
    struct sigaction ours {};
    ours.sa_handler = removeAndStop;
    sigemptyset(&ours.sa_mask);
    for (const int number : Stops) {
        struct sigaction old {};
        if (::sigaction(number, nullptr, &old) == 0 && !(old.sa_flags & SA_SIGINFO) &&
            old.sa_handler == SIG_DFL)
            ::sigaction(number, &ours, nullptr);
    }
}

// Gives the signals their default action back where the handler is still ours.
void uninstall() {
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    for (const int number : Stops) {
        struct sigaction old {};
        if (::sigaction(number, nullptr, &old) == 0 && !(old.sa_flags & SA_SIGINFO) &&
            old.sa_handler == removeAndStop)
            ::sigaction(number, &standard, nullptr);
    }
}

} // namespace

RemoveOnStop::RemoveOnStop(const QByteArray& path) {
    if (path.size() >= PATH_MAX)
        return;
    for (int i = 0; i < int(slots.size()) && m_slot < 0; ++i)
        if (!slots[std::size_t(i)].taken.exchange(true))
            m_slot = i;
    if (m_slot < 0)
        return;
    Slot& slot = slots[std::size_t(m_slot)];
    std::memcpy(slot.path, path.constData(), std::size_t(path.size()) + 1);
    slot.ready.store(true);
    const std::lock_guard lock(installing);
    if (users++ == 0)
        install();
}

RemoveOnStop::~RemoveOnStop() {
    if (m_slot < 0)
        return;
    Slot& slot = slots[std::size_t(m_slot)];
    slot.ready.store(false);
    slot.taken.store(false);
    const std::lock_guard lock(installing);
    if (--users == 0)
        uninstall();
}

} // namespace tarnix::platform
