// The UHJ decoder: sum and difference, the six filters, the mix.
#include "tools/render/uhj_decoder.h"

#include <algorithm>

namespace sorvelt::render
{

namespace
{
enum Lane
{
    kSA,
    kDA,
    kTA,
    kQA,
    kMB, // the j term of W and X: 0.828331 D + 0.767820 T
    kSB,
    kLanes
};
} // namespace

UhjDecoder::UhjDecoder(int uhjChannels, float g)
    : channels(uhjChannels), gain(g),
      network({PhasePath::A, PhasePath::A, PhasePath::A, PhasePath::A, PhasePath::B, PhasePath::B})
{
}

void UhjDecoder::process(const float* const* inputs, float* const* outputs, std::int32_t frames)
{
    for (std::int32_t done = 0; done < frames; done += kPass)
        processPass(inputs, outputs, done, frames - done < kPass ? frames - done : kPass);
    if (frames > 0) network.recoverFromNonFinite();
}

void UhjDecoder::processPass(const float* const* inputs, float* const* outputs, int offset, int frames)
{
    float in[kLanes - 1][kPass], out[kLanes][kPass]; // S feeds two lanes
    const float* l = inputs[0] + offset;
    const float* r = inputs[1] + offset;
    // An absent T or Q is silence in, and exactly zero in the mix, not the filters' tiny
    // anti-denormal residue.
    for (int n = 0; n < frames; ++n)
    {
        in[kTA][n] = channels >= 3 ? inputs[2][offset + n] : 0.0f;
        in[kQA][n] = channels >= 4 ? inputs[3][offset + n] : 0.0f;
    }
    for (int n = 0; n < frames; ++n)
    {
        // The encoder halves L and R, so their sum and difference are S and D as it mixed them.
        const float s = l[n] + r[n];
        const float d = l[n] - r[n];
        in[kSA][n] = s;
        in[kDA][n] = d;
        in[kMB][n] = static_cast<float>(0.828331 * d + 0.767820 * in[kTA][n]);
    }
    // Both paths of S read the same samples.
    const float* lanesIn[kLanes] = {in[kSA], in[kDA], in[kTA], in[kQA], in[kMB], in[kSA]};
    float* lanesOut[kLanes] = {out[0], out[1], out[2], out[3], out[4], out[5]};
    network.process(lanesIn, lanesOut, frames);
    if (channels < 3) std::fill_n(out[kTA], frames, 0.0f);
    if (channels < 4) std::fill_n(out[kQA], frames, 0.0f);

    float* w = outputs[0] + offset;
    float* x = outputs[1] + offset;
    float* y = outputs[2] + offset;
    float* z = outputs[3] + offset;
    for (int n = 0; n < frames; ++n)
    {
        const double sA = out[kSA][n], dA = out[kDA][n], tA = out[kTA][n], qA = out[kQA][n];
        const double mB = out[kMB][n], sB = out[kSB][n];
        w[n] = static_cast<float>(0.981532 * sA + 0.197484 * mB) * gain;
        x[n] = static_cast<float>(0.418496 * sA - mB) * gain;
        y[n] = static_cast<float>(0.795968 * dA - 0.676392 * tA + 0.186633 * sB) * gain;
        z[n] = static_cast<float>(1.023332 * qA) * gain;
    }
}

} // namespace sorvelt::render
