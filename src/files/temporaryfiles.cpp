#include "files/temporaryfiles.h"

#include <array>
#include <atomic>
#include <climits>
#include <cstring>
#include <mutex>

#include <pthread.h>
#include <unistd.h>

namespace Demagora {

namespace {

constexpr int SlotCount = 256;
// SIGXFSZ ends a program whose file grows past the size limit (`ulimit -f`) in the middle of
// a write, as surely as the others.
constexpr std::array<int, 4> CleanedSignals = { SIGINT, SIGTERM, SIGHUP, SIGXFSZ };

enum SlotState : int { Free = 0, Filling = 1, Ready = 2 };

struct Slot
{
    std::atomic<int> state { Free };
    bool folder = false;
    char path[PATH_MAX];
};

Slot g_slots[SlotCount];
std::once_flag g_handlersInstalled;

// Only async-signal-safe calls here: unlink, rmdir, sigaction, raise. The files go first, so
// that a new folder holding only temporary files is empty when its turn comes.
extern "C" void removeTemporaryFilesAndRaise(int signalNumber)
{
    for (Slot &slot : g_slots) {
        if (slot.state.load(std::memory_order_acquire) == Ready && !slot.folder)
            ::unlink(slot.path);
    }
    for (Slot &slot : g_slots) {
        if (slot.state.load(std::memory_order_acquire) == Ready && slot.folder)
            ::rmdir(slot.path);
    }
    struct sigaction defaultAction = {};
    defaultAction.sa_handler = SIG_DFL;
    sigemptyset(&defaultAction.sa_mask);
    ::sigaction(signalNumber, &defaultAction, nullptr);
    ::raise(signalNumber);
}

void installHandlers()
{
    for (const int signalNumber : CleanedSignals) {
        struct sigaction current = {};
        if (::sigaction(signalNumber, nullptr, &current) != 0)
            continue;
        // A handler of the program's own, or an ignored signal, stays as it is.
        if (!(current.sa_flags & SA_SIGINFO) && current.sa_handler != SIG_DFL)
            continue;
        if ((current.sa_flags & SA_SIGINFO) && current.sa_sigaction != nullptr)
            continue;
        struct sigaction action = {};
        action.sa_handler = removeTemporaryFilesAndRaise;
        sigemptyset(&action.sa_mask);
        for (const int blocked : CleanedSignals)
            sigaddset(&action.sa_mask, blocked);
        ::sigaction(signalNumber, &action, nullptr);
    }
}

int registerSlot(const std::string &path, bool folder)
{
    if (path.size() >= PATH_MAX)
        return -1;
    std::call_once(g_handlersInstalled, installHandlers);
    for (int index = 0; index < SlotCount; ++index) {
        int expected = Free;
        if (!g_slots[index].state.compare_exchange_strong(expected, Filling))
            continue;
        g_slots[index].folder = folder;
        std::memcpy(g_slots[index].path, path.c_str(), path.size() + 1);
        g_slots[index].state.store(Ready, std::memory_order_release);
        return index;
    }
    return -1;
}

} // namespace

int registerTemporaryFile(const std::string &path)
{
    return registerSlot(path, false);
}

int registerTemporaryFolder(const std::string &path)
{
    return registerSlot(path, true);
}

void unregisterTemporaryFile(int slot)
{
    if (slot >= 0 && slot < SlotCount)
        g_slots[slot].state.store(Free, std::memory_order_release);
}

SignalBlocker::SignalBlocker()
{
    sigset_t blocked;
    sigemptyset(&blocked);
    for (const int signalNumber : CleanedSignals)
        sigaddset(&blocked, signalNumber);
    ::pthread_sigmask(SIG_BLOCK, &blocked, &m_previous);
}

SignalBlocker::~SignalBlocker()
{
    ::pthread_sigmask(SIG_SETMASK, &m_previous, nullptr);
}

} // namespace Demagora
