// The two halves of a render, overlapped: one thread reads and processes, another writes.
// The blocks pass in order through a small ring of slots that the caller owns.
#pragma once

#include <functional>

namespace sorvelt::render
{

/// What the producing half reports after filling one slot.
struct Produced
{
    enum class Then
    {
        More,  ///< keep going
        End,   ///< the input is exhausted
        Failed ///< the producer hit an error; what it put in the slot is still written first
    };
    bool filled = false; ///< the slot holds frames to be written
    Then then = Then::More;
};

enum class PipelineOutcome
{
    Done,
    ProducerFailed,
    ConsumerFailed
};

/// Calls `produce(slot)` for slot 0, 1, ... (modulo `slots`) on the calling thread and
/// `consume(slot)` for every filled slot, in the same order, on a second thread when
/// `threaded` (alternately on this thread otherwise). A slot is produced again only after
/// it was consumed. Both stop at the first failure; the failure reported is the first in
/// stream order, so a write error before a read error wins, as it would without a thread.
PipelineOutcome runBlockPipeline(int slots, bool threaded, const std::function<Produced(int)>& produce,
                                 const std::function<bool(int)>& consume);

} // namespace sorvelt::render
