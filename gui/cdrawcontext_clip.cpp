// CDrawContext's clip: stored in target coordinates (with `offset` applied when it is set),
// reported in the caller's, and handed to the backend, which limits every operation to it.
#include "gui/cdrawcontext.h"
#include "gui/cframe.h"

namespace VSTGUI
{

namespace
{

/// The whole drawing area of a context that has no frame to ask.
constexpr CRect kNoFrameClip(0, 0, 1000, 1000);

} // namespace

void CDrawContext::setClipRect(const CRect& clip)
{
    clipRect = clip;
    clipRect.offset(offset.x, offset.y);
    if (backend) backend->setClip(clipRect);
}

CRect& CDrawContext::getClipRect(CRect& clip) const
{
    clip = clipRect;
    clip.offset(-offset.x, -offset.y);
    return clip;
}

void CDrawContext::resetClipRect()
{
    CRect full = kNoFrameClip;
    if (frame) frame->getViewSize(full);
    clipRect = full;
    if (backend) backend->setClip(clipRect);
}

} // namespace VSTGUI
