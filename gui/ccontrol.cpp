// CControl: value, range, default, tag, listener, the dirty rule on the last
// drawn value, the control-click reset and the host's edit bracket.
#include "gui/ccontrol.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "gui/cbitmap.h"
#include "gui/cdrawcontext.h"
#include "gui/cframe.h"

namespace VSTGUI
{

long CControlListener::controlModifierClicked(CDrawContext*, CControl*, long)
{
    return 0;
}

namespace
{
// Below this a slow double click would read as two clicks on every system.
constexpr long kMinDoubleClickInterval = 250;
} // namespace

CControl::CControl(const CRect& size, CControlListener* listener, long tag, CBitmap* background)
    : CView(size), listener(listener), tag(tag), oldValue(1.f), defaultValue(0.5f), value(0.f), vmin(0.f),
      vmax(1.f), wheelInc(0.1f), lastTicks(-1),
      delta(kMinDoubleClickInterval), backOffset(0, 0)
{
    setMouseEnabled(true);
    setTransparency(false);
    // Marks the new control dirty through our own setDirty, so oldValue becomes -1.
    setBackground(background);
}

CControl::~CControl() = default;

bool CControl::isDirty() const
{
    // Written as a negated equality so that a NaN on either side counts as a change.
    if (!(currentValue() == oldValue)) return true;
    return CView::isDirty();
}

void CControl::setDirty(bool val)
{
    CView::setDirty(val);
    if (val)
        oldValue = currentValue() == -1.f ? 0.f : -1.f;
    else
        oldValue = currentValue();
}

void CControl::update(CDrawContext* context)
{
    if (!isDirty()) return;
    if (context)
        redrawRect(context, size);
    else if (parentFrame)
        parentFrame->draw(this);
    // Only the view's flag: the draw recorded the value it showed, and the value read now
    // may be one the owner wrote while we drew.
    dirty = false;
}

void CControl::markDrawn(float shown)
{
    CView::setDirty(false);
    oldValue = shown;
}

bool CControl::isTypeOf(const char* name) const
{
    return (name && std::strcmp(name, "CControl") == 0) || CView::isTypeOf(name);
}

bool CControl::attached(CView* parent)
{
    removedFromParent = false;
    return CView::attached(parent);
}

bool CControl::removed(CView* parent)
{
    removedFromParent = true;
    return CView::removed(parent);
}

void CControl::doIdleStuff()
{
    if (CFrame* frame = getFrame()) frame->doIdleStuff();
}

void CControl::setValue(float val)
{
    storeValue(val);
}
float CControl::getValue() const
{
    return currentValue();
}
void CControl::setMin(float val)
{
    vmin = val;
}
float CControl::getMin() const
{
    return vmin;
}
void CControl::setMax(float val)
{
    vmax = val;
}
float CControl::getMax() const
{
    return vmax;
}
void CControl::setOldValue(float val)
{
    oldValue = val;
}
float CControl::getOldValue() const
{
    return oldValue;
}
void CControl::setDefaultValue(float val)
{
    defaultValue = val;
}
float CControl::getDefaultValue() const
{
    return defaultValue;
}
void CControl::setTag(long val)
{
    tag = val;
}
long CControl::getTag() const
{
    return tag;
}
void CControl::setBackOffset(CPoint& offset)
{
    backOffset = offset;
}
void CControl::copyBackOffset()
{
    backOffset = CPoint(size.left, size.top);
}
void CControl::setWheelInc(float val)
{
    wheelInc = val;
}
float CControl::getWheelInc() const
{
    return wheelInc;
}

void CControl::beginEdit()
{
    // A control outside a frame has no host to tell; the gesture still runs.
    CFrame* frame = getFrame();
    if (!frame) return;
    frame->setFocusView(this);
    frame->beginEdit(tag);
}

void CControl::endEdit()
{
    if (CFrame* frame = getFrame()) frame->endEdit(tag);
}

void CControl::bounceValue()
{
    const float v = currentValue();
    if (v > vmax)
        storeValue(vmax);
    else if (v < vmin)
        storeValue(vmin);
}

bool CControl::checkDefaultValue(CDrawContext* context, long button)
{
    if (button != (kMouseLeftButton | kModifierControl)) return false;
    beginEdit();
    storeValue(getDefaultValue());
    reportIfDirty(context);
    endEdit();
    return true;
}

bool CControl::isDoubleClick()
{
    CFrame* frame = getFrame();
    const long now = frame ? static_cast<long>(frame->getTicks()) : 0;
    // The system's interval, asked of the platform of the frame the control is in now.
    if (frame) delta = std::max(static_cast<long>(frame->getDoubleClickTime()), kMinDoubleClickInterval);
    // Widened so that a tick count near the top of its range cannot overflow.
    if (lastTicks > 0 && static_cast<std::int64_t>(now) < static_cast<std::int64_t>(lastTicks) + delta)
    {
        lastTicks = 0;
        return true;
    }
    lastTicks = now;
    return false;
}

void CControl::reportIfDirty(CDrawContext* context)
{
    if (listener && isDirty()) listener->valueChanged(context, this);
}

long CControl::truncatePixels(double x)
{
    constexpr double kLimit = 1 << 30;
    if (!(x == x)) return 0;
    return static_cast<long>(std::clamp(x, -kLimit, kLimit));
}

bool CControl::acceptPress(CDrawContext* context, long& button)
{
    if (!getMouseEnabled() || !context) return false;
    if (button == -1) button = context->getMouseButtons();
    if (!(button & kMouseLeftButton)) return false;
    if (modifierClickTaken(context, button)) return false;
    return !checkDefaultValue(context, button);
}

bool CControl::modifierClickTaken(CDrawContext* context, long button)
{
    return listener && (button & kControlModifierMask) &&
           listener->controlModifierClicked(context, this, button) != 0;
}

} // namespace VSTGUI
