// The base's value-to-text operations and the bounded copies beneath them.
#include "plugin/text.h"
#include "tests/plugin/probe_effect.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace
{

constexpr char kGuard = '#';

/// Runs one conversion into a guarded buffer and checks nothing beyond
/// text[maxLen] was touched and that text[maxLen] is the terminator.
template <typename F> std::string convert(F&& f, std::int32_t maxLen)
{
    char text[64];
    std::memset(text, kGuard, sizeof text);
    f(text, maxLen);
    EXPECT_EQ(text[maxLen], 0);
    for (std::size_t i = static_cast<std::size_t>(maxLen) + 1; i < sizeof text; ++i)
        EXPECT_EQ(text[i], kGuard) << "byte " << i << " written";
    return text;
}

struct FloatCase
{
    float value;
    const char* text;
};

TEST(ValueText, Float2stringKeepsEightPositionsAndTruncates)
{
    const FloatCase cases[] = {
        {0.0f, "0.000000"},
        {-0.0f, "0.000000"},
        {0.5f, "0.500000"},
        {12.25f, "12.25000"},
        {90.0f, "90.00000"},
        {-90.0f, "-90.0000"},
        {180.0f, "180.0000"},
        {-180.0f, "-180.000"},
        {static_cast<float>(20.0 * std::log10(0.5)), "-6.02059"},
        {static_cast<float>((0.5 - 0.3f) * 360.0), "71.99999"},
        {1234567.0f, "1234567."},
        {-123456.0f, "-123456."},
        {9999999.0f, "9999999."},
        // Integer parts that leave no room for the point keep every digit.
        {12345678.0f, "12345678"},
        {10000000.0f, "10000000"},
        {-1234567.0f, "-1234567"},
        {-9999999.0f, "-9999999"},
        // Out of range.
        {1e9f, "Huge!"},
        {100000000.0f, "Huge!"},
        {-1e7f, "Huge!"},
        {std::numeric_limits<float>::infinity(), "Huge!"},
        {-std::numeric_limits<float>::infinity(), "Huge!"},
        {std::numeric_limits<float>::quiet_NaN(), "NaN"},
    };
    PlainEffect effect;
    for (const FloatCase& c : cases)
    {
        EXPECT_EQ(convert([&](char* t, std::int32_t n) { effect.float2string(c.value, t, n); }, 8), c.text)
            << c.value;
    }
}

TEST(ValueText, DB2stringShowsDecibelsOfALinearFactor)
{
    const FloatCase cases[] = {
        {1.0f, "0.000000"}, {0.5f, "-6.02059"}, {10.0f, "20.00000"},
        {0.0f, "-oo"},      {-1.0f, "-oo"},     {1e-30f, "-600.000"},
    };
    PlainEffect effect;
    for (const FloatCase& c : cases)
    {
        EXPECT_EQ(convert([&](char* t, std::int32_t n) { effect.dB2string(c.value, t, n); }, 8), c.text)
            << c.value;
    }
}

TEST(ValueText, Int2stringWritesDecimalDigits)
{
    const struct
    {
        std::int32_t value;
        const char* text;
    } cases[] = {
        {123, "123"},
        {-45, "-45"},
        {0, "0"},
        {7, "7"},
        {1000, "1000"},
        {99999999, "99999999"},
        {-99999999, "-99999999"},
        {100000000, "Huge!"},
        {std::numeric_limits<std::int32_t>::max(), "Huge!"},
        {-100000000, "Huge!"},
        {std::numeric_limits<std::int32_t>::min(), "Huge!"},
    };
    PlainEffect effect;
    for (const auto& c : cases)
    {
        EXPECT_EQ(convert([&](char* t, std::int32_t n) { effect.int2string(c.value, t, n); }, 12), c.text)
            << c.value;
    }
}

TEST(ValueText, FrequencyAndTimeFollowTheSampleRate)
{
    const struct
    {
        float rate;
        float samples;
        const char* hz;
        const char* ms;
    } cases[] = {
        {44100.0f, 0.0f, "0.000000", "0.000000"},
        {44100.0f, 441.0f, "100.0000", "10.00000"},
        {44100.0f, 44100.0f, "1.000000", "1000.000"},
        {48000.0f, 48.0f, "1000.000", "1.000000"},
        // Without a rate there is no time to tell.
        {0.0f, 441.0f, "0.000000", "Huge!"},
        {0.0f, 0.0f, "0.000000", "0.000000"},
    };
    for (const auto& c : cases)
    {
        PlainEffect effect;
        effect.setSampleRate(c.rate);
        EXPECT_EQ(convert([&](char* t, std::int32_t n) { effect.Hz2string(c.samples, t, n); }, 8), c.hz)
            << c.rate << " " << c.samples;
        EXPECT_EQ(convert([&](char* t, std::int32_t n) { effect.ms2string(c.samples, t, n); }, 8), c.ms)
            << c.rate << " " << c.samples;
    }
}

TEST(ValueText, EveryConversionStaysWithinMaxLen)
{
    PlainEffect effect;
    const struct
    {
        const char* name;
        std::function<void(char*, std::int32_t)> run;
        std::int32_t maxLen;
        const char* text;
    } cases[] = {
        {"float2string", [&](char* t, std::int32_t n) { effect.float2string(12.25f, t, n); }, 4, "12.2"},
        {"float2string", [&](char* t, std::int32_t n) { effect.float2string(12.25f, t, n); }, 2, "12"},
        {"float2string", [&](char* t, std::int32_t n) { effect.float2string(-180.0f, t, n); }, 5, "-180."},
        {"float2string", [&](char* t, std::int32_t n) { effect.float2string(1e9f, t, n); }, 3, "Hug"},
        {"float2string", [&](char* t, std::int32_t n) { effect.float2string(0.5f, t, n); }, 0, ""},
        {"dB2string", [&](char* t, std::int32_t n) { effect.dB2string(0.0f, t, n); }, 2, "-o"},
        {"int2string", [&](char* t, std::int32_t n) { effect.int2string(12345, t, n); }, 2, "12"},
        {"int2string", [&](char* t, std::int32_t n) { effect.int2string(-45, t, n); }, 1, "-"},
        {"int2string", [&](char* t, std::int32_t n) { effect.int2string(100000000, t, n); }, 4, "Huge"},
        {"Hz2string", [&](char* t, std::int32_t n) { effect.Hz2string(441.0f, t, n); }, 3, "100"},
        {"ms2string", [&](char* t, std::int32_t n) { effect.ms2string(441.0f, t, n); }, 3, "10."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(convert(c.run, c.maxLen), c.text) << c.name << " maxLen " << c.maxLen;
}

TEST(ValueText, BoundedCopiesRefuseWhatTheyCannotWrite)
{
    char text[8];
    std::memset(text, kGuard, sizeof text);
    copyText(text, "abc", -1);
    appendText(text, "abc", -1);
    copyText(nullptr, "abc", 4);
    appendText(nullptr, "abc", 4);
    EXPECT_EQ(std::string(text, sizeof text), std::string(sizeof text, kGuard));

    EXPECT_EQ(convert([](char* t, std::int32_t n) { copyText(t, nullptr, n); }, 4), "");
    EXPECT_EQ(convert(
                  [](char* t, std::int32_t n)
                  {
                      copyText(t, "ab", n);
                      appendText(t, nullptr, n);
                  },
                  4),
              "ab");
    EXPECT_EQ(convert(
                  [](char* t, std::int32_t n)
                  {
                      copyText(t, "ab", n);
                      appendText(t, "cdef", n);
                  },
                  4),
              "abcd");
    EXPECT_EQ(convert(
                  [](char* t, std::int32_t n)
                  {
                      copyText(t, "abcd", n);
                      appendText(t, "x", n);
                  },
                  4),
              "abcd");
}

} // namespace
