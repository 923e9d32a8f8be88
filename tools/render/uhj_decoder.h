// UHJ back to first-order B-Format, through the encoder's own phase-difference network.
#pragma once

#include "effect/phasenetwork.h"

#include <cstdint>

namespace sorvelt::render
{

/// Decodes L, R, T, Q into W, X, Y, Z with the published UHJ decoding equations. W comes out in
/// the convention the encoder takes it in, so encoding then decoding gives the field back (each
/// signal passed twice through the network's in-phase path). 2-channel UHJ has no T and no Q,
/// 3-channel no Q: they count as silence and Z stays silent. Single precision, state kept from
/// block to block, the histories cleared when a NaN or an infinity reaches them.
class UhjDecoder
{
public:
    /// `uhjChannels`: 2, 3 or 4; inputs past that many are not read.
    UhjDecoder(int uhjChannels, float gain);

    /// inputs: L, R, T, Q; outputs: W, X, Y, Z (times the gain). Any frame count; nothing for <= 0.
    /// Every input of a pass is read before outputs are written, so the buffers may be shared.
    void process(const float* const* inputs, float* const* outputs, std::int32_t frames);

private:
    static constexpr int kPass = 256;
    void processPass(const float* const* inputs, float* const* outputs, int offset, int frames);

    int channels;
    float gain;
    // Lanes: path A of S, D, T and Q; path B of 0.828331 D + 0.767820 T and of S.
    PhaseNetwork network;
};

} // namespace sorvelt::render
