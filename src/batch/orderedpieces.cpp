#include "batch/orderedpieces.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace Demagora {

void writePiecesInOrder(std::ostream &out, std::size_t count, unsigned workers,
    std::size_t bufferSize, const PieceFormat &format)
{
    if (count == 0)
        return;
    if (workers <= 1 || count == 1) {
        const auto buffer = std::make_unique_for_overwrite<char[]>(bufferSize);
        for (std::size_t piece = 0; piece < count && out; ++piece)
            out.write(buffer.get(), format(piece, 0, buffer.get()) - buffer.get());
        return;
    }
    struct Slot
    {
        std::unique_ptr<char[]> buffer;
        char *end = nullptr;
        std::size_t readyPiece = 0; // the piece formatted in it, plus one
    };
    const std::size_t slotCount = 2 * std::size_t { workers } + 2;
    std::vector<Slot> slots(slotCount);
    std::mutex mutex;
    std::condition_variable changed;
    std::size_t written = 0;
    bool stop = false;
    std::exception_ptr error;
    std::atomic<std::size_t> next { 0 };

    const auto fail = [&](std::exception_ptr failure) {
        std::lock_guard lock(mutex);
        if (!error)
            error = std::move(failure);
        stop = true;
        changed.notify_all();
    };
    const auto work = [&](unsigned worker) {
        try {
            for (std::size_t piece = next++; piece < count; piece = next++) {
                Slot &slot = slots[piece % slotCount];
                {
                    std::unique_lock lock(mutex);
                    changed.wait(lock, [&] { return stop || piece < written + slotCount; });
                    if (stop)
                        return;
                }
                if (!slot.buffer)
                    slot.buffer = std::make_unique_for_overwrite<char[]>(bufferSize);
                char *end = format(piece, worker, slot.buffer.get());
                std::lock_guard lock(mutex);
                slot.end = end;
                slot.readyPiece = piece + 1;
                changed.notify_all();
            }
        } catch (...) {
            fail(std::current_exception());
        }
    };

    std::vector<std::thread> threads;
    try {
        for (unsigned worker = 0; worker < workers; ++worker)
            threads.emplace_back(work, worker);
        for (std::size_t piece = 0; piece < count; ++piece) {
            Slot &slot = slots[piece % slotCount];
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return stop || slot.readyPiece == piece + 1; });
                if (stop)
                    break;
            }
            out.write(slot.buffer.get(), slot.end - slot.buffer.get());
            std::lock_guard lock(mutex);
            ++written;
            // A stream that failed (a full disk) takes no more: the rest is not formatted.
            stop = stop || !out;
            changed.notify_all();
        }
    } catch (...) {
        fail(std::current_exception());
    }
    for (std::thread &thread : threads)
        thread.join();
    if (error)
        std::rethrow_exception(error);
}

} // namespace Demagora
