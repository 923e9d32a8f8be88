// Port units <-> normalized values. Each direction repeats the arithmetic of the
// effect's display operation for that parameter (widths and roundings included),
// so a port shows the very number the effect's own display would.
#include "lv2/ports.h"

#include <algorithm>
#include <cmath>

namespace sorvelt::lv2
{

PortRange rangeOf(int parameter)
{
    switch (parameter)
    {
    case SourceAzimuth:
        return {-180.0f, 180.0f};
    case SourceElevation:
        return {-90.0f, 90.0f};
    case SourceWidth:
        return {0.0f, 180.0f};
    case InputFormat:
        return {0.0f, 2.0f};
    case Gain:
        return {kGainFloorDb, 0.0f};
    }
    return {0.0f, 0.0f};
}

bool toNormalized(int parameter, float portValue, float& normalized)
{
    if (std::isnan(portValue) || parameter < 0 || parameter >= kNumSorveltParameters) return false;
    const PortRange range = rangeOf(parameter);
    const double value = std::clamp(portValue, range.minimum, range.maximum);
    switch (parameter)
    {
    case SourceAzimuth: // display: (0.5 - v) * 360
        normalized = static_cast<float>(0.5 - value / 360.0);
        break;
    case SourceElevation: // display: (v - 0.5) * 180
        normalized = static_cast<float>(value / 180.0 + 0.5);
        break;
    case SourceWidth: // display: v * 180
        normalized = static_cast<float>(value / 180.0);
        break;
    case InputFormat: // the switch's three values; the effect takes floor(2 v)
        normalized = static_cast<float>(std::nearbyint(value)) * 0.5f;
        break;
    case Gain: // display: 20 log10(v) dB
        normalized = value <= kGainFloorDb ? 0.0f : static_cast<float>(std::pow(10.0, value / 20.0));
        break;
    }
    return true;
}

float toPortValue(int parameter, float normalized)
{
    switch (parameter)
    {
    case SourceAzimuth:
        return static_cast<float>((0.5 - static_cast<double>(normalized)) * 360.0);
    case SourceElevation:
        return static_cast<float>((static_cast<double>(normalized) - 0.5) * 180.0);
    case SourceWidth:
        return normalized * 180.0f;
    case InputFormat:
    {
        // The effect's own reading, floor(2 v), held to the three steps (NaN reads Mono).
        const float step = std::floor(normalized + normalized);
        return step >= 2.0f ? 2.0f : step >= 1.0f ? 1.0f : 0.0f;
    }
    case Gain:
    {
        if (!(normalized > 0.0f)) return kGainFloorDb;
        const float db = static_cast<float>(20.0 * std::log10(static_cast<double>(normalized)));
        return std::max(db, kGainFloorDb);
    }
    }
    return 0.0f;
}

} // namespace sorvelt::lv2
