// A minimal host for the effect tests: creates Sorvelt through its factory and
// then talks to it only through the record, as a host does.
#pragma once

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "effect/sorvelt.h"
#include "plugin/aeffect.h"

namespace effecttest
{

inline std::intptr_t testHostCallback(AEffect*, std::int32_t opcode, std::int32_t, std::intptr_t, void*,
                                      float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

/// Four channels of input and output for one block.
template <class T> struct Block
{
    explicit Block(size_t frames)
    {
        for (auto& c : in)
            c.assign(frames, T(0));
        for (auto& c : out)
            c.assign(frames, T(0));
    }
    size_t frames() const { return in[0].size(); }
    std::vector<T> in[4], out[4];
    T* inputs[4];
    T* outputs[4];
    T** ins()
    {
        for (int c = 0; c < 4; ++c)
            inputs[c] = in[c].data();
        return inputs;
    }
    T** outs()
    {
        for (int c = 0; c < 4; ++c)
            outputs[c] = out[c].data();
        return outputs;
    }
};

class Host
{
public:
    Host()
    {
        AudioEffect* created = createEffectInstance(&testHostCallback);
        EXPECT_NE(created, nullptr);
        record = created->getAeffect();
    }
    ~Host() { record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f); }
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    Sorvelt& effect() const { return *static_cast<Sorvelt*>(static_cast<AudioEffect*>(record->object)); }

    void set(std::int32_t index, float value) { record->setParameter(record, index, value); }
    float get(std::int32_t index) { return record->getParameter(record, index); }
    std::intptr_t dispatch(std::int32_t opcode, std::int32_t index = 0, std::intptr_t value = 0,
                           void* ptr = nullptr, float opt = 0.0f)
    {
        return record->dispatcher(record, opcode, index, value, ptr, opt);
    }
    /// A text request into a generous buffer, pre-filled to show untouched bytes.
    std::string text(std::int32_t opcode, std::int32_t index = 0, std::intptr_t value = 0)
    {
        char buffer[256];
        std::memset(buffer, '#', sizeof buffer);
        buffer[255] = 0;
        dispatch(opcode, index, value, buffer);
        return buffer;
    }

    void process(Block<float>& b)
    {
        record->processReplacing(record, b.ins(), b.outs(), static_cast<std::int32_t>(b.frames()));
    }
    void process(Block<double>& b)
    {
        record->processDoubleReplacing(record, b.ins(), b.outs(), static_cast<std::int32_t>(b.frames()));
    }

    AEffect* record = nullptr;
};

inline std::uint32_t bits(float v)
{
    return std::bit_cast<std::uint32_t>(v);
}
inline std::uint64_t bits(double v)
{
    return std::bit_cast<std::uint64_t>(v);
}

} // namespace effecttest
