// The all-pass filters that make UHJ's 90-degree phase shifts, as a bank of lanes:
// each lane one filter (path A or path B) on its own input stream, histories kept across blocks.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "effect/phasekernels.h"

/// Path A is the in-phase branch (odd past inputs, one sample of pure delay); path B
/// leads it by 90 degrees (the current and the even past inputs).
enum class PhasePath : std::uint8_t
{
    A,
    B
};

/// The widest level this processor runs, found once per process.
SimdLevel bestSimdLevel();

/// Up to eight filters that run side by side. The arithmetic of each lane is fixed
/// term by term (the order of the sums, single or double precision), so results are
/// reproducible bit for bit whatever the level, the block sizes or the lane count.
/// No allocation, lock or library call while processing; a long block is filtered in
/// passes over the bank's own working buffers.
class PhaseNetwork
{
public:
    static constexpr int kMaxLanes = phasekernels::kLanes;
    static constexpr int kInputHistory = phasekernels::kInputRows;   ///< x[n-1] .. x[n-9]
    static constexpr int kOutputHistory = phasekernels::kOutputRows; ///< y[n-1] .. y[n-8]

    /// One lane per entry, in order; entries past kMaxLanes are ignored. A level the
    /// processor lacks falls back to the best one it has. Histories start at zero.
    explicit PhaseNetwork(std::initializer_list<PhasePath> lanes, SimdLevel level = bestSimdLevel());

    /// Filters `frames` samples of every lane, inputs[l] to outputs[l], in single precision.
    /// Every input of a sample is read before any output of that sample is written, so an
    /// output may be an input buffer (of any lane). Nothing happens for frames <= 0.
    void process(const float* const* inputs, float* const* outputs, std::int32_t frames);

    /// The double-precision arithmetic: history differences in single precision (path B's
    /// current input in double), products and sums in double, each output rounded to
    /// single. Inputs enter the histories rounded to single, so both calls share one state.
    void process(const double* const* inputs, float* const* outputs, std::int32_t frames);

    /// A NaN or infinity never decays out of a recursion: if any lane's history holds
    /// one, every lane starts again from silence. Returns whether it cleared them.
    bool recoverFromNonFinite();

    /// Every history back to zero.
    void reset();

    int lanes() const { return setup_.lanes; }
    PhasePath path(int lane) const { return setup_.isB[lane] ? PhasePath::B : PhasePath::A; }
    SimdLevel level() const { return level_; }

    /// A lane's past input x[n-1-age] (age 0..8) and past output y[n-1-age] (age 0..7).
    float inputHistory(int lane, int age) const { return state_.x[kInputHistory - 1 - age][lane]; }
    float outputHistory(int lane, int age) const { return state_.y[kOutputHistory - 1 - age][lane]; }

private:
    // The encoder runs its own fused pass (filters, mix and gain) over this state.
    friend class UhjEncoder;

    phasekernels::Setup setup_{};
    phasekernels::History state_{};
    phasekernels::Scratch scratch_{};
    const phasekernels::Table* kernels_ = nullptr;
    SimdLevel level_ = SimdLevel::Scalar;
};
