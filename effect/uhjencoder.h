// The UHJ encoding engine: six all-pass filters forming two phase-difference
// networks, the per-block panning gains and the S, D, T, Q mix into L, R, T, Q.
#pragma once

#include <cstdint>

#include "effect/phasenetwork.h"

/// Histories of the phase-difference networks, newest first. Both callbacks keep
/// them in single precision, so a host may switch precision between blocks. A copy:
/// the engine keeps them in its filter bank.
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

    /// `level` picks the instruction set (the best the processor has by default); all
    /// give the same bits.
    explicit UhjEncoder(SimdLevel level = bestSimdLevel());

    void process(const float* const* inputs, float* const* outputs, int32_t sampleFrames, float* params);
    void process(const double* const* inputs, double* const* outputs, int32_t sampleFrames, float* params);

    UhjFilterState state() const;
    SimdLevel level() const { return network_.level(); }

    /// The four values a block holds on to, as read at its start.
    struct Snapshot
    {
        float azimuth, elevation, width, format;
        static Snapshot of(const float* params);
        bool sameBits(const Snapshot& other) const;
    };

private:
    /// The set-up of the last block of one precision: the sines and cosines are only
    /// worked out again when a value has changed, bit for bit.
    struct GainCache
    {
        Snapshot key{};
        phasekernels::UhjGains gains{};
        bool valid = false;
        const phasekernels::UhjGains& lookup(const float* params,
                                             phasekernels::UhjGains (*compute)(const Snapshot&));
    };

    template <class Sample>
    void run(const Sample* const* inputs, Sample* const* outputs, int32_t frames, const float* params,
             const phasekernels::UhjGains& gains);

    /// Path A on inputs 0..3 (F0 F2 F4 F5), then path B on inputs 0 and 1 (F1 F3): the
    /// two paths in separate halves of the vector registers.
    PhaseNetwork network_;
    GainCache singleGains_, doubleGains_;
};

