// Slot ring between the producing and the consuming thread of a render.
#include "tools/render/block_pipeline.h"

#include <condition_variable>
#include <mutex>
#include <thread>

namespace sorvelt::render
{

namespace
{

PipelineOutcome runInTurn(const std::function<Produced(int)>& produce,
                          const std::function<bool(int)>& consume)
{
    for (;;)
    {
        const Produced p = produce(0);
        if (p.filled && !consume(0)) return PipelineOutcome::ConsumerFailed;
        if (p.then == Produced::Then::End) return PipelineOutcome::Done;
        if (p.then == Produced::Then::Failed) return PipelineOutcome::ProducerFailed;
    }
}

} // namespace

PipelineOutcome runBlockPipeline(int slots, bool threaded, const std::function<Produced(int)>& produce,
                                 const std::function<bool(int)>& consume)
{
    if (!threaded || slots < 2) return runInTurn(produce, consume);

    std::mutex mutex;
    std::condition_variable changed;
    int filled = 0;               // slots produced and not yet consumed
    bool producerStopped = false; // no more slots will come
    bool consumerFailed = false;

    std::thread writer(
        [&]
        {
            for (int next = 0;; next = (next + 1) % slots)
            {
                {
                    std::unique_lock lock(mutex);
                    changed.wait(lock, [&] { return filled > 0 || producerStopped; });
                    if (filled == 0) return;
                }
                const bool ok = consume(next);
                std::lock_guard lock(mutex);
                if (!ok)
                {
                    consumerFailed = true;
                    changed.notify_all();
                    return;
                }
                --filled;
                changed.notify_all();
            }
        });

    Produced::Then last = Produced::Then::More;
    for (int next = 0; last == Produced::Then::More;)
    {
        {
            std::unique_lock lock(mutex);
            changed.wait(lock, [&] { return filled < slots || consumerFailed; });
            if (consumerFailed) break;
        }
        const Produced p = produce(next);
        last = p.then;
        std::lock_guard lock(mutex);
        if (p.filled)
        {
            ++filled;
            next = (next + 1) % slots;
        }
        if (last != Produced::Then::More) producerStopped = true;
        changed.notify_all();
    }
    {
        // Also when the consumer failed first: the writer is waiting for nothing more.
        std::lock_guard lock(mutex);
        producerStopped = true;
        changed.notify_all();
    }
    writer.join();
    if (consumerFailed) return PipelineOutcome::ConsumerFailed;
    return last == Produced::Then::Failed ? PipelineOutcome::ProducerFailed : PipelineOutcome::Done;
}

} // namespace sorvelt::render
