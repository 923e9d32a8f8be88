// Editor read-out converters. Their arithmetic widths differ on purpose: the
// read-outs have always shown these exact digits (for instance 125 for a width
// that the host's display shows as 126.0000).
#include "effect/stringconvert.h"

#include <climits>
#include <cstdio>

namespace
{

/// Truncation toward zero that stays defined for values no int can hold
/// (a host may store anything in a parameter): NaN reads 0, the rest saturates.
int truncateToInt(double v)
{
    if (!(v == v)) return 0;
    if (v >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (v <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(v);
}

} // namespace

void degreeStringConvert(float value, char* text)
{
    const float turn = 0.5f - value;
    std::snprintf(text, kStringConvertBufferSize, "%d", truncateToInt(static_cast<double>(turn) * 360.0));
}

void elevationDegreeStringConvert(float value, char* text)
{
    const float degrees = static_cast<float>((static_cast<double>(value) - 0.5) * 180.0);
    std::snprintf(text, kStringConvertBufferSize, "%.1f", static_cast<double>(degrees));
}

void widthDegreeStringConvert(float value, char* text)
{
    std::snprintf(text, kStringConvertBufferSize, "%d", truncateToInt(static_cast<double>(value) * 180.0));
}

void percentStringConvert(float value, char* text)
{
    const float percent = value * 100.0f + 0.5f;
    std::snprintf(text, kStringConvertBufferSize, "%d%%", truncateToInt(percent));
}
