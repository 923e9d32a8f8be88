// Conversions between the units people think in and the plug-in's normalized values.
// The formulas are the inverses of the ones the plug-in uses for its own display strings.
#pragma once

#include <string>
#include <string_view>

namespace sorvelt::render
{

/// How the input channels are to be read: a mono source, a stereo pair or B-Format W, X, Y, Z.
enum class InputFormat
{
    Mono,
    Stereo,
    BFormat
};

/// Channel count a format takes from the input file.
int channelsOf(InputFormat format);

/// Word for a format, as the options spell it ("mono", "stereo", "bformat").
std::string_view nameOf(InputFormat format);

/// Azimuth in degrees (positive to the left) to the normalized value: 0 degrees is 0.5, +180 is 0, -180 is 1.
float azimuthToNormalized(double degrees);

/// Elevation in degrees (-90 .. 90) to the normalized value: 0 degrees is 0.5.
float elevationToNormalized(double degrees);

/// Source width in degrees (0 .. 180) to the normalized value.
float widthToNormalized(double degrees);

/// Gain in decibels to the linear factor the plug-in takes; minus infinity is silence.
float decibelsToLinear(double decibels);

/// Normalized InputFormat value that selects a format: 0 mono, 0.5 stereo, exactly 1 B-Format.
float formatToNormalized(InputFormat format);

/// Level of a linear peak in dBFS, as text with one decimal ("-inf" for silence).
std::string peakToDbfs(double peak);

/// Folds any angle into -180 .. 180, so a path may go round more than once.
double wrapDegrees(double degrees);

} // namespace sorvelt::render
