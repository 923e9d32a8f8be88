// The UHJ encoding engine: six all-pass filters forming two phase-difference
// networks, the per-block panning gains and the S, D, T, Q mix into L, R, T, Q.
#pragma once

#include <cstdint>

/// Histories of the phase-difference networks, newest first. Both callbacks keep
/// them in single precision, so a host may switch precision between blocks.
struct UhjFilterState
{
    float inputHistory[4][9];  ///< per input channel: x[n-1] .. x[n-9]
    float filterHistory[6][8]; ///< per filter F0..F5: y[n-1] .. y[n-8]
    bool operator==(const UhjFilterState&) const = default;
};

enum UhjInputFormat : int
{
    kUhjMono = 0,
    kUhjStereo = 1,
    kUhjBFormat = 2
};

/// floor(2 * format) as the mixing stage uses it. Values outside 0..1 (and NaN)
/// are clamped to Mono or B-Format so every block mixes fresh samples.
int uhjFormatIndex(float format);

/// Four inputs (mono, stereo pair or W, X, Y, Z) to L, R, T, Q.
/// `params` are the effect's five normalized values in parameter-index order; other
/// threads may write them, so they are read with relaxed atomic loads: azimuth,
/// elevation, width and format once per block, the gain at every sample.
class UhjEncoder
{
public:
    static constexpr int kNumChannels = 4;

    void process(const float* const* inputs, float* const* outputs, int32_t sampleFrames, float* params);
    void process(const double* const* inputs, double* const* outputs, int32_t sampleFrames, float* params);

    const UhjFilterState& state() const { return state_; }

private:
    /// A NaN or infinity in the histories would never decay out of the recursions;
    /// the next block starts from silence instead.
    void recoverFromNonFinite();

    UhjFilterState state_{};
};
