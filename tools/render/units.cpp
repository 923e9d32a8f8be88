// Unit conversions for sorvelt-render.
#include "tools/render/units.h"

#include <cmath>
#include <cstdio>

namespace sorvelt::render
{

int channelsOf(InputFormat format)
{
    switch (format)
    {
    case InputFormat::Mono:
        return 1;
    case InputFormat::Stereo:
        return 2;
    case InputFormat::BFormat:
        return 4;
    }
    return 1;
}

std::string_view nameOf(InputFormat format)
{
    switch (format)
    {
    case InputFormat::Mono:
        return "mono";
    case InputFormat::Stereo:
        return "stereo";
    case InputFormat::BFormat:
        return "bformat";
    }
    return "mono";
}

float azimuthToNormalized(double degrees)
{
    return static_cast<float>(0.5 - degrees / 360.0);
}

float elevationToNormalized(double degrees)
{
    return static_cast<float>(degrees / 180.0 + 0.5);
}

float widthToNormalized(double degrees)
{
    return static_cast<float>(degrees / 180.0);
}

float decibelsToLinear(double decibels)
{
    if (std::isinf(decibels) && decibels < 0) return 0.0f;
    return static_cast<float>(std::pow(10.0, decibels / 20.0));
}

float formatToNormalized(InputFormat format)
{
    // The plug-in picks the format by floor(2 v); the middle of each band would do as well,
    // but these are the values its own switch sends.
    switch (format)
    {
    case InputFormat::Mono:
        return 0.0f;
    case InputFormat::Stereo:
        return 0.5f;
    case InputFormat::BFormat:
        return 1.0f;
    }
    return 0.0f;
}

std::string peakToDbfs(double peak)
{
    if (!(peak > 0.0)) return "-inf";
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", 20.0 * std::log10(peak));
    return text;
}

double wrapDegrees(double degrees)
{
    double folded = std::fmod(degrees + 180.0, 360.0);
    if (folded < 0) folded += 360.0;
    return folded - 180.0;
}

} // namespace sorvelt::render
