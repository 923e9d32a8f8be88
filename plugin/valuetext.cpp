// The base's value-to-text operations: fixed-point, decibel, integer, frequency
// and time texts for the host's parameter displays.
#include "plugin/audioeffect.h"
#include "plugin/text.h"

#include <cmath>
#include <cstdint>

namespace
{

/// Positions of a fixed-point text: sign, digits and point together.
constexpr int kBudget = 8;

} // namespace

void AudioEffect::float2string(float value, char* text, std::int32_t maxLen)
{
    double v = value;
    if (std::isnan(v))
    {
        copyText(text, "NaN", maxLen);
        return;
    }
    const bool negative = v < 0.0;
    int count = 0;
    if (negative)
    {
        v = -v;
        ++count;
        if (v > 9999999.0)
        {
            copyText(text, "Huge!", maxLen);
            return;
        }
    }
    else if (v > 99999999.0)
    {
        copyText(text, "Huge!", maxLen);
        return;
    }

    // Integer part, right to left. When its digits leave no room for the point
    // (eight-digit values, seven-digit negatives) the point is dropped rather than
    // a leading digit: losing a digit would show a plainly wrong number.
    char scratch[32];
    char* s = scratch + 31;
    *s-- = 0;
    double integer = std::floor(v);
    int digits = 1;
    for (double rest = integer / 10.0; rest >= 1.0; rest /= 10.0)
        ++digits;
    const bool withPoint = count + digits < kBudget;
    if (withPoint)
    {
        *s-- = '.';
        ++count;
    }
    do
    {
        *s-- = static_cast<char>('0' + static_cast<int>(std::fmod(integer, 10.0)));
        integer /= 10.0;
        ++count;
    } while (integer >= 1.0 && count < kBudget);
    if (negative) *s-- = '-';
    copyText(text, s + 1, maxLen);
    if (count >= kBudget) return;

    // Fraction: the remaining positions, truncated, right to left.
    s = scratch + 31;
    *s-- = 0;
    double mantissa = std::fmod(v, 1.0) * std::pow(10.0, kBudget - count);
    for (; count < kBudget; ++count)
    {
        if (mantissa <= 0.0)
        {
            *s-- = '0';
        }
        else
        {
            *s-- = static_cast<char>('0' + static_cast<int>(std::fmod(mantissa, 10.0)));
            mantissa /= 10.0;
        }
    }
    appendText(text, s + 1, maxLen);
}

void AudioEffect::dB2string(float value, char* text, std::int32_t maxLen)
{
    if (value <= 0.0f)
        copyText(text, "-oo", maxLen);
    else
        float2string(static_cast<float>(20.0 * std::log10(static_cast<double>(value))), text, maxLen);
}

void AudioEffect::int2string(std::int32_t value, char* text, std::int32_t maxLen)
{
    // Widened so that negating the most negative value cannot overflow.
    std::int64_t v = value;
    if (v >= 100000000 || v <= -100000000)
    {
        copyText(text, "Huge!", maxLen);
        return;
    }
    copyText(text, v < 0 ? "-" : "", maxLen);
    if (v < 0) v = -v;
    // Zero has no significant digit; it still reads "0".
    char digits[10];
    int length = 0;
    for (std::int64_t divisor = 100000000; divisor >= 1; divisor /= 10)
    {
        const std::int64_t digit = v / divisor;
        v -= digit * divisor;
        if (length > 0 || digit > 0 || divisor == 1) digits[length++] = static_cast<char>('0' + digit);
    }
    digits[length] = 0;
    appendText(text, digits, maxLen);
}

void AudioEffect::Hz2string(float samples, char* text, std::int32_t maxLen)
{
    if (samples == 0.0f)
        float2string(0.0f, text, maxLen);
    else
        float2string(getSampleRate() / samples, text, maxLen);
}

void AudioEffect::ms2string(float samples, char* text, std::int32_t maxLen)
{
    const double rate = getSampleRate();
    const double ms = static_cast<double>(samples) * 1000.0;
    // Without a rate no time can be told: zero stays zero, anything else is out of range.
    const double result = rate != 0.0 ? ms / rate : (ms == 0.0 ? 0.0 : HUGE_VAL);
    float2string(static_cast<float>(result), text, maxLen);
}
