// CReferenceCounter: the shared base of views, bitmaps and drawing contexts.
// The creator holds the first reference; the last forget destroys the object.
#pragma once

#include <cstdint>

namespace VSTGUI
{

class CReferenceCounter
{
public:
    CReferenceCounter() = default;
    CReferenceCounter(const CReferenceCounter&) = delete;
    CReferenceCounter& operator=(const CReferenceCounter&) = delete;
    virtual ~CReferenceCounter() = default;

    /// Drops one reference; the object deletes itself when none is left.
    virtual void forget()
    {
        if (--referenceCount == 0) delete this;
    }

    /// Takes one more reference.
    virtual void remember() { ++referenceCount; }

    long getNbReference() const { return referenceCount; }

private:
    std::int32_t referenceCount = 1;
};

} // namespace VSTGUI
