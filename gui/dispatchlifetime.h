// DispatchLifetime: keeps a reference-counted object alive while it dispatches an event, so
// that its owner may let go of it from inside the dispatch (a host closing the editor from a
// control's drag) without destroying it under the calls still on the stack.
#pragma once

#include "gui/creferencecounter.h"

namespace VSTGUI
{

/// The rule: each dispatch holds one reference of its own for as long as it runs (a Scope).
/// A forget that leaves only those references is the owner's last: the object must let go of
/// everything outside itself at once, and is destroyed when the last dispatch ends.
class DispatchLifetime
{
public:
    explicit DispatchLifetime(CReferenceCounter& object_) : object(object_) {}
    DispatchLifetime(const DispatchLifetime&) = delete;
    DispatchLifetime& operator=(const DispatchLifetime&) = delete;

    /// One dispatch: takes a reference on entry, gives it back on exit (possibly the last).
    class Scope
    {
    public:
        explicit Scope(DispatchLifetime& lifetime_) : lifetime(lifetime_)
        {
            lifetime.object.remember();
            ++lifetime.depth;
        }
        ~Scope()
        {
            CReferenceCounter& object = lifetime.object;
            --lifetime.depth;
            object.forget(); // may destroy the object and this lifetime with it: nothing after
        }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        DispatchLifetime& lifetime;
    };

    bool isDispatching() const { return depth > 0; }
    /// Asked by the object's forget before it drops the reference: true when that forget
    /// leaves only the dispatches' own references (the owner let go mid-dispatch).
    bool isOwnersLastForget() const { return depth > 0 && object.getNbReference() - 1 == depth; }

private:
    CReferenceCounter& object;
    int depth = 0;
};

} // namespace VSTGUI
