// SorveltProgram: one program, the five parameter values and a name.
#pragma once

#include <cstddef>

#include "effect/parameters.h"

/// A plain record: the five values in parameter-index order, then the name.
struct SorveltProgram
{
    float azimuth = 0.5f;
    float elevation = 0.5f;
    float width = 0.0f;
    float inputFormat = 0.0f;
    float gain = 1.0f;
    char name[24] = "Init";

    /// Room for the name's characters; the last byte is its terminator.
    static constexpr int kMaxNameLength = 23;

    /// The value of parameter `index` (0..4) as a field of this record.
    static constexpr float SorveltProgram::*kValues[kNumSorveltParameters] = {
        &SorveltProgram::azimuth, &SorveltProgram::elevation, &SorveltProgram::width,
        &SorveltProgram::inputFormat, &SorveltProgram::gain};
};

static_assert(offsetof(SorveltProgram, gain) == 4 * sizeof(float), "values have no gaps");
static_assert(offsetof(SorveltProgram, name) == 5 * sizeof(float), "the name follows the values");
static_assert(sizeof(SorveltProgram) == 44);
