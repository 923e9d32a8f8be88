// The LV2 face of Sorvelt: its URIs, its port layout and the conversions between the
// ports' user units and the effect's normalized parameter values.
#pragma once

#include <cstdint>

#include "effect/parameters.h"

namespace sorvelt::lv2
{

/// Under the vendor address the effect reports; written down in the README and never changed.
inline constexpr const char* kPluginUri = "https://sorvelt.example.org/plugins/sorvelt";
inline constexpr const char* kUiUri = "https://sorvelt.example.org/plugins/sorvelt#ui";

/// Control ports come first, at their parameter's index, so a port index below
/// kNumControlPorts is a parameter index; then the four inputs and the four outputs.
inline constexpr std::uint32_t kNumControlPorts = kNumSorveltParameters;
inline constexpr std::uint32_t kFirstAudioInput = kNumControlPorts;
inline constexpr std::uint32_t kFirstAudioOutput = kFirstAudioInput + 4;
inline constexpr std::uint32_t kNumPorts = kFirstAudioOutput + 4;

/// The gain port's floor: at or below it the output is silent (the effect's gain 0).
inline constexpr float kGainFloorDb = -90.0f;

/// The range a control port declares, in its own units.
struct PortRange
{
    float minimum;
    float maximum;
};

PortRange rangeOf(int parameter);

/// A port value in user units to the effect's normalized value, the inverse of the
/// effect's host display: values outside the port's range are held at its ends, the
/// format is rounded to the nearest of its three steps. NaN has no meaning: false.
bool toNormalized(int parameter, float portValue, float& normalized);

/// The effect's normalized value in the port's units, computed as the effect's host
/// display computes the number it shows (the format as its step 0, 1 or 2; a gain
/// whose display reads "-oo" or lies below the floor as the floor).
float toPortValue(int parameter, float normalized);

} // namespace sorvelt::lv2
