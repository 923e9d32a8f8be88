// DispatchLifetime: an object stays alive while it dispatches, its owner's last forget inside
// a dispatch is recognised, and the object goes when the last dispatch ends.
#include <gtest/gtest.h>

#include <optional>

#include "gui/dispatchlifetime.h"

using namespace VSTGUI;

namespace
{

/// Counts its own destruction and, like the frame, notes when its owner let go mid-dispatch.
struct Dispatcher : CReferenceCounter
{
    explicit Dispatcher(int& destroyed_) : destroyed(destroyed_) {}
    ~Dispatcher() override { ++destroyed; }
    void forget() override
    {
        const bool ownerGone = lifetime.isOwnersLastForget();
        if (ownerGone) ++ownerLetGo; // before the drop, as the frame releases its views
        CReferenceCounter::forget();
    }
    int& destroyed;
    int ownerLetGo = 0;
    DispatchLifetime lifetime{*this};
};

TEST(DispatchLifetime, TheOwnersForgetDuringADispatchWaitsForItsEnd)
{
    struct Case
    {
        const char* name;
        int scopes;        // dispatches running when the owner lets go
        bool otherHolder;  // someone besides the owner and the dispatches holds a reference
        int letGo;         // times the owner's last forget was recognised
        bool aliveInScope; // still there right after the owner's forget
    };
    const Case cases[] = {
        {"no dispatch", 0, false, 0, false},
        {"one dispatch", 1, false, 1, true},
        {"nested dispatches", 2, false, 1, true},
        {"another holder", 1, true, 0, true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        int destroyed = 0;
        auto* object = new Dispatcher(destroyed);
        if (c.otherHolder) object->remember();
        int letGo = 0;
        {
            std::optional<DispatchLifetime::Scope> outer, inner;
            if (c.scopes > 0) outer.emplace(object->lifetime);
            if (c.scopes > 1) inner.emplace(object->lifetime);
            EXPECT_EQ(object->lifetime.isDispatching(), c.scopes > 0);
            object->forget(); // the owner lets go
            EXPECT_EQ(destroyed == 0, c.aliveInScope);
            if (destroyed == 0) letGo = object->ownerLetGo;
            inner.reset();
            if (c.scopes > 1)
            {
                EXPECT_EQ(destroyed, 0) << "destroyed before the outer dispatch ended";
            }
        }
        EXPECT_EQ(letGo, c.letGo);
        if (c.otherHolder)
        {
            EXPECT_EQ(destroyed, 0);
            EXPECT_FALSE(object->lifetime.isDispatching());
            object->forget();
        }
        EXPECT_EQ(destroyed, 1);
    }
}

} // namespace
