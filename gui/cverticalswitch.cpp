// CVerticalSwitch: the position rule, the strip picture and the modal mouse loop.
#include "gui/cverticalswitch.h"

#include <cstring>

#include "gui/cbitmap.h"
#include "gui/cdrawcontext.h"

namespace VSTGUI
{

CVerticalSwitch::CVerticalSwitch(const CRect& size, CControlListener* listener, long tag, long subPixmaps,
                                 long heightOfOneImage, long iMaxPositions, CBitmap* background,
                                 CPoint& offset)
    : CControl(size, listener, tag, background), offset(offset), subPixmaps(subPixmaps),
      heightOfOneImage(heightOfOneImage), iMaxPositions(iMaxPositions)
{
    // The control-click reset selects the first position.
    defaultValue = 0.f;
}

CVerticalSwitch::CVerticalSwitch(const CRect& size, CControlListener* listener, long tag, CBitmap* background,
                                 CPoint& offset)
    : CControl(size, listener, tag, background), offset(offset), subPixmaps(0),
      heightOfOneImage(size.height()), iMaxPositions(0)
{
    defaultValue = 0.f;
    // A zero-height rectangle or a missing bitmap leaves no positions instead of dividing by zero.
    if (background && heightOfOneImage > 0) subPixmaps = background->getHeight() / heightOfOneImage;
    iMaxPositions = subPixmaps;
}

CVerticalSwitch::~CVerticalSwitch() = default;

bool CVerticalSwitch::isTypeOf(const char* name) const
{
    return (name && std::strcmp(name, "CVerticalSwitch") == 0) || CControl::isTypeOf(name);
}

long CVerticalSwitch::position() const
{
    return position(currentValue());
}

long CVerticalSwitch::position(float v) const
{
    if (iMaxPositions < 2) return 0;
    return truncatePixels(static_cast<double>(iMaxPositions - 1) * v + 0.5);
}

void CVerticalSwitch::draw(CDrawContext* context)
{
    const float shown = currentValue();
    if (CBitmap* bitmap = getBackground())
    {
        // A value outside 0..1 asks for a picture outside the strip; the bitmap clips that source.
        drawBitmap(context, bitmap, size,
                       CPoint(0, truncatePixels(static_cast<double>(position(shown)) * heightOfOneImage)));
    }
    markDrawn(shown);
}

float CVerticalSwitch::valueAt(long y) const
{
    // With fewer than two positions there is only the first one to choose.
    if (iMaxPositions < 2 || heightOfOneImage <= 0) return 0.f;
    const double step = static_cast<double>(heightOfOneImage) / static_cast<double>(iMaxPositions);
    const long p = truncatePixels(static_cast<double>(y - size.top) / step);
    float v = static_cast<float>(p) / static_cast<float>(iMaxPositions - 1);
    if (v > 1.f)
        v = 1.f;
    else if (v < 0.f)
        v = 0.f;
    return v;
}

void CVerticalSwitch::mouse(CDrawContext* context, CPoint& where, long button)
{
    if (!acceptPress(context, button)) return;

    // Our own reference keeps the switch alive should its frame let go of it during the drag.
    remember();
    trackDrag(
        context, where,
        [&]
        {
            storeValue(valueAt(where.y));
            reportIfDirty(context);
        },
        // Any change of the buttons or modifiers ends the drag, even with the button still held.
        [&] { return context->getMouseButtons() == button; });
    forget();
}

} // namespace VSTGUI
