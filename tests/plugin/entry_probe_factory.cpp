// The factory of the stand-in plug-in. It asks its host what to do, so that one
// loaded module can show every path of the entry: create, yield null, or throw.
#include "plugin/audioeffectx.h"

#include <stdexcept>

namespace
{

/// Index of the vendor-specific request the factory sends before creating.
constexpr std::int32_t kAskMode = fourCharConstant("mode");
/// Index of the vendor-specific request the effect sends when it is destroyed.
constexpr std::int32_t kReportDestroyed = fourCharConstant("dtor");

class ProbeEffect : public AudioEffectX
{
public:
    explicit ProbeEffect(HostCallback host) : AudioEffectX(host, 1, 5)
    {
        setUniqueID(fourCharConstant("PrbE"));
    }
    ~ProbeEffect() override { hostVendorSpecific(kReportDestroyed, 0, nullptr, 0.0f); }
    void processReplacing(float**, float**, std::int32_t) override {}
};

} // namespace

AudioEffect* createEffectInstance(HostCallback hostCallback)
{
    switch (hostCallback(nullptr, audioMasterVendorSpecific, kAskMode, 0, nullptr, 0.0f))
    {
    case 1:
        return nullptr;
    case 2:
        throw std::runtime_error("construction failed");
    default:
        return new ProbeEffect(hostCallback);
    }
}
