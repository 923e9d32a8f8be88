// Sorvelt's parameter indices and the lock-free access every thread shares.
// The host, the editor and the audio thread all reach the same plain floats.
#pragma once

#include <atomic>

/// Parameter indices: shared by the host, the effect and the editor's control tags.
enum SorveltParameter : int
{
    SourceAzimuth = 0,
    SourceElevation = 1,
    SourceWidth = 2,
    InputFormat = 3,
    Gain = 4,
    kNumSorveltParameters = 5,
};

/// Reads a parameter that another thread may be writing. Relaxed is enough:
/// each value stands alone and is one 32-bit word, so a reader sees either value whole.
inline float loadParameter(const float& value)
{
    return std::atomic_ref<float>(const_cast<float&>(value)).load(std::memory_order_relaxed);
}

/// Writes a parameter that the audio thread may be reading at the same time.
inline void storeParameter(float& target, float value)
{
    std::atomic_ref<float>(target).store(value, std::memory_order_relaxed);
}
