// CKnob and CAnimKnob: angle mapping, the modal drag in linear and circular
// mode, wheel and arrow keys, and drawing with a handle or a strip frame.
#include "gui/cknob.h"

#include <cmath>
#include <cstring>

#include "gui/cbitmap.h"
#include "gui/cdrawcontext.h"
#include "gui/cframe.h"
#include "plugin/aeffect.h"

namespace VSTGUI
{

namespace
{
constexpr float kTwoPi = 6.2831855f;
constexpr double kTwoPiDouble = 6.283185307179586;
constexpr float kDefaultStartAngle = 3.9269907f; // 5π/4: vmin at half past seven
constexpr float kDefaultRangeAngle = -4.712389f; // 3π/2 clockwise
constexpr float kLinearDragPixels = 200.f;       // pixels for the whole range

long insetForHandle(CBitmap* handle)
{
    return static_cast<long>(handle->getWidth() * 0.5 + 2.5);
}

} // namespace

// ---------------------------------------------------------------------------- CKnob

CKnob::CKnob(const CRect& size, CControlListener* listener, long tag, CBitmap* background, CBitmap* handle,
             const CPoint& offset)
    : CControl(size, listener, tag, background), offset(offset), colorHandle(kWhiteCColor),
      colorShadowHandle(kGreyCColor), handle(handle), inset(handle ? insetForHandle(handle) : 3),
      startAngle(0.f), rangeAngle(1.f), halfAngle(0.f), aCoef(0.f), bCoef(0.f),
      radius(static_cast<float>(size.right - size.left) / 2.f), zoomFactor(1.5f)
{
    if (handle) handle->remember();
    setWantsFocus(true);
    setStartAngle(kDefaultStartAngle);
    setRangeAngle(kDefaultRangeAngle);
}

CKnob::~CKnob()
{
    if (handle) handle->forget();
}

bool CKnob::isTypeOf(const char* name) const
{
    return (name && std::strcmp(name, "CKnob") == 0) || CControl::isTypeOf(name);
}

void CKnob::compute()
{
    aCoef = (vmax - vmin) / rangeAngle;
    bCoef = vmin - aCoef * startAngle;
    halfAngle = (kTwoPi - std::fabs(rangeAngle)) * 0.5f;
    setDirty(true);
}

void CKnob::setStartAngle(float val)
{
    startAngle = val;
    compute();
}

float CKnob::getStartAngle() const
{
    return startAngle;
}

void CKnob::setRangeAngle(float val)
{
    rangeAngle = val;
    compute();
}

float CKnob::getRangeAngle() const
{
    return rangeAngle;
}

void CKnob::valueToPoint(CPoint& point) const
{
    pointForValue(currentValue(), point);
}

void CKnob::pointForValue(float v, CPoint& point) const
{
    const float alpha = (v - bCoef) / aCoef;
    const float reach = radius - static_cast<float>(inset);
    point.x = truncatePixels(radius + std::cos(alpha) * reach + 0.5f);
    point.y = truncatePixels(radius - std::sin(alpha) * reach + 0.5f);
}

float CKnob::valueFromPoint(CPoint& point) const
{
    float alpha = static_cast<float>(
        std::atan2(radius - static_cast<float>(point.y), static_cast<float>(point.x) - radius));
    if (alpha < 0.f) alpha += kTwoPi;

    float alpha2 = alpha - startAngle;
    const auto wrapOnce = [](float a)
    {
        if (a < 0.f) return a + kTwoPi;
        if (static_cast<double>(a) > kTwoPiDouble) return a - kTwoPi;
        return a;
    };

    if (rangeAngle < 0.f)
    {
        alpha2 -= rangeAngle;
        const float alpha3 = wrapOnce(alpha2);
        if (alpha3 > halfAngle - rangeAngle) return vmax;
        if (alpha3 > -rangeAngle) return vmin;
        if (alpha2 > halfAngle - rangeAngle)
            alpha2 -= kTwoPi;
        else if (alpha2 < -halfAngle)
            alpha2 += kTwoPi;
        return aCoef * alpha2 + vmax;
    }

    const float alpha3 = wrapOnce(alpha2);
    if (alpha3 > rangeAngle + halfAngle) return vmin;
    if (alpha3 > rangeAngle) return vmax;
    if (alpha2 > rangeAngle + halfAngle)
        alpha2 -= kTwoPi;
    else if (alpha2 < -halfAngle)
        alpha2 += kTwoPi;
    return aCoef * alpha2 + vmin;
}

void CKnob::setInsetValue(long val)
{
    inset = val;
}

void CKnob::setColorShadowHandle(CColor color)
{
    colorShadowHandle = color;
    setDirty(true);
}

void CKnob::setColorHandle(CColor color)
{
    colorHandle = color;
    setDirty(true);
}

void CKnob::setHandleBitmap(CBitmap* bitmap)
{
    if (handle) handle->forget();
    handle = nullptr;
    if (bitmap)
    {
        handle = bitmap;
        handle->remember();
        inset = insetForHandle(handle);
    }
}

void CKnob::setZoomFactor(float val)
{
    zoomFactor = val;
}
float CKnob::getZoomFactor() const
{
    return zoomFactor;
}

void CKnob::draw(CDrawContext* context)
{
    const float shown = currentValue();
    if (CBitmap* bitmap = getBackground()) drawBitmap(context, bitmap, size, offset);
    drawHandle(context);
    markDrawn(shown);
}

void CKnob::drawHandle(CDrawContext* context)
{
    CPoint where;
    valueToPoint(where);

    if (handle)
    {
        const long w = handle->getWidth();
        const long h = handle->getHeight();
        where.offset(size.left - w / 2, size.top - h / 2);
        CRect target(where.x, where.y, where.x + w, where.y + h);
        handle->drawTransparent(context, target, CPoint(0, 0));
        return;
    }

    CPoint origin(size.left - 1 + size.width() / 2, size.top + size.height() / 2);
    where.offset(size.left - 1, size.top);
    context->setFrameColor(colorShadowHandle);
    context->moveTo(where);
    context->lineTo(origin);

    where.offset(1, -1);
    origin.offset(1, -1);
    context->setFrameColor(colorHandle);
    context->moveTo(where);
    context->lineTo(origin);
}

void CKnob::mouse(CDrawContext* context, CPoint& where, long button)
{
    if (!acceptPress(context, button)) return;

    CFrame* frame = getFrame();
    const long mode = frame ? frame->getKnobMode() : 0;
    const bool alt = (button & kModifierAlt) != 0;
    const bool linear = (mode == kLinearKnobMode) != alt;

    // Our own reference keeps the knob alive should its frame let go of it during the drag.
    remember();
    if (linear)
        trackLinear(context, where, button);
    else
        trackCircular(context, where);
    forget();
}

void CKnob::trackLinear(CDrawContext* context, CPoint& where, long button)
{
    const auto coefFor = [this](long buttons)
    {
        float range = kLinearDragPixels;
        if (buttons & kModifierShift) range *= zoomFactor;
        return (vmax - vmin) / range;
    };

    float entry = currentValue();
    float coef = coefFor(button);
    long lastButton = button;
    const CPoint first = where;

    CPoint last(-1, -1);
    long buttons = 0;
    trackDrag(
        context, where,
        [&]
        {
            buttons = context->getMouseButtons();
            if (where == last) return;
            const long d = (first.y - where.y) + (where.x - first.x);
            if (buttons != lastButton)
            {
                // Re-anchor so that the value under the pointer stays put while the speed changes.
                const float newCoef = coefFor(buttons);
                entry += static_cast<float>(d) * (coef - newCoef);
                coef = newCoef;
                lastButton = buttons;
            }
            storeValue(entry + static_cast<float>(d) * coef);
            bounceValue();
            reportIfDirty(context);
            last = where;
        },
        [&] { return (buttons & kMouseLeftButton) != 0; });
}

void CKnob::trackCircular(CDrawContext* context, CPoint& where)
{
    const float middle = (vmax - vmin) * 0.5f;
    CPoint local = where;
    local.offset(-size.left, -size.top);
    float old = valueFromPoint(local);

    CPoint last(-1, -1);
    long buttons = 0;
    trackDrag(
        context, where,
        [&]
        {
            buttons = context->getMouseButtons();
            if (where == last) return;
            last = where;
            where.offset(-size.left, -size.top);
            const float v = valueFromPoint(where);
            // A jump of more than half the range means the pointer crossed the dead zone:
            // stay at the end it came from.
            if (old - v > middle)
                storeValue(vmax);
            else if (v - old > middle)
                storeValue(vmin);
            else
            {
                storeValue(v);
                old = v;
            }
            reportIfDirty(context);
        },
        [&] { return (buttons & kMouseLeftButton) != 0; });
}

bool CKnob::onWheel(CDrawContext* context, const CPoint&, float distance)
{
    if (!getMouseEnabled()) return false;
    // A broken host event must not poison the parameter with NaN or infinity.
    if (!std::isfinite(distance)) return false;
    float steps = distance;
    if (context && (context->getMouseButtons() & kModifierShift)) steps *= 0.1f;
    stepValue(context, steps);
    return true;
}

long CKnob::onKeyDown(VstKeyCode& keyCode)
{
    float steps;
    switch (keyCode.virt)
    {
    case kVstKeyLeft:
    case kVstKeyDown:
        steps = -1.f;
        break;
    case kVstKeyUp:
    case kVstKeyRight:
        steps = 1.f;
        break;
    default:
        return -1;
    }
    if (keyCode.modifier & kVstModifierShift) steps *= 0.1f;
    stepValue(nullptr, steps);
    return 1;
}

void CKnob::stepValue(CDrawContext* context, float steps)
{
    storeValue(currentValue() + steps * wheelInc);
    bounceValue();
    if (listener && isDirty())
    {
        beginEdit();
        listener->valueChanged(context, this);
        endEdit();
    }
}

// ------------------------------------------------------------------------ CAnimKnob

CAnimKnob::CAnimKnob(const CRect& size, CControlListener* listener, long tag, long subPixmaps,
                     long heightOfOneImage, CBitmap* background, CPoint& offset)
    : CKnob(size, listener, tag, background, nullptr, offset), subPixmaps(subPixmaps),
      heightOfOneImage(heightOfOneImage), inverseBitmap(false), lastDrawnPoint(0, 0)
{
    inset = 0;
}

CAnimKnob::CAnimKnob(const CRect& size, CControlListener* listener, long tag, CBitmap* background,
                     CPoint& offset)
    : CKnob(size, listener, tag, background, nullptr, offset), subPixmaps(0), heightOfOneImage(size.height()),
      inverseBitmap(false), lastDrawnPoint(0, 0)
{
    inset = 0;
    // A zero-height rectangle or a missing bitmap gives an empty strip rather than a division by zero.
    if (background && heightOfOneImage > 0) subPixmaps = background->getHeight() / heightOfOneImage;
}

CAnimKnob::~CAnimKnob() = default;

bool CAnimKnob::isTypeOf(const char* name) const
{
    return (name && std::strcmp(name, "CAnimKnob") == 0) || CKnob::isTypeOf(name);
}

long CAnimKnob::sourceOffsetY() const
{
    return sourceOffsetY(currentValue());
}

long CAnimKnob::sourceOffsetY(float v) const
{
    if (!(v >= 0.f)) return 0; // below zero, and NaN, show the first frame
    const long total = subPixmaps > 1 && heightOfOneImage > 0 ? (subPixmaps - 1) * heightOfOneImage : 0;
    // In single precision, as the float value times the integer total is: in double, half of
    // the gain knob's whole percents would show the frame below the one their read-out names.
    const float f = inverseBitmap ? 1.0f - v : v;
    long y = truncatePixels(f * static_cast<float>(total));
    if (y >= total) return y; // only the last frame, or past the strip where the bitmap clips
    if (y < 0) return 0;
    // Round down to the start of the frame that holds y.
    return y - y % heightOfOneImage;
}

void CAnimKnob::draw(CDrawContext* context)
{
    // One reading of the value serves the picture, the handle point and the dirty rule.
    const float shown = currentValue();
    if (CBitmap* bitmap = getBackground()) drawBitmap(context, bitmap, size, CPoint(0, sourceOffsetY(shown)));
    pointForValue(shown, lastDrawnPoint);
    markDrawn(shown);
}

bool CAnimKnob::isDirty() const
{
    if (!CView::isDirty())
    {
        CPoint p;
        valueToPoint(p);
        // A change too small to move the handle point shows the same picture.
        if (p == lastDrawnPoint) return false;
    }
    return CControl::isDirty();
}

} // namespace VSTGUI
