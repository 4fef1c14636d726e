#pragma once

#include <QtGlobal>
#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace tarnix::core {

// Works on items 0 ... count - 1 on `threads` threads of its own and hands
// each result to `use` on the calling thread, in item order. At most
// `ahead` results wait to be used, so memory stays bounded however many
// items there are. `use(item, result)` returns false to stop: no item is
// started after that, and the call returns once the threads are done.
template <class Result, class Work, class Use>
void inOrder(qint64 count, int threads, int ahead, const Work& work, const Use& use) {
    std::mutex lock;
    std::condition_variable done, room;
    std::vector<std::optional<Result>> slots(std::size_t(std::max(ahead, 1)));
    const qint64 window = qint64(slots.size());
    qint64 next = 0, used = 0;
    bool stop = false;
    const auto worker = [&] {
        std::unique_lock guard(lock);
        for (;;) {
            room.wait(guard, [&] { return stop || next >= count || next < used + window; });
            if (stop || next >= count)
                return;
            const qint64 item = next++;
            guard.unlock();
            Result result = work(item);
            guard.lock();
            slots[std::size_t(item % window)].emplace(std::move(result));
            done.notify_all();
        }
    };
    std::vector<std::thread> pool;
    for (int i = 0; i < std::max(threads, 1); ++i)
        pool.emplace_back(worker);
    {
        std::unique_lock guard(lock);
        while (used < count && !stop) {
            std::optional<Result>& slot = slots[std::size_t(used % window)];
            done.wait(guard, [&] { return slot.has_value(); });
            Result result = std::move(*slot);
            slot.reset();
            guard.unlock();
            const bool goOn = use(used, result);
            guard.lock();
            ++used;
            stop = !goOn;
            room.notify_all();
        }
        stop = true;
        room.notify_all();
    }
    for (std::thread& t : pool)
        t.join();
}

// Threads for reading files: one a core, as the machine says.
inline int readerThreads() {
    return int(std::clamp(std::thread::hardware_concurrency(), 1u, 8u));
}

} // namespace tarnix::core
