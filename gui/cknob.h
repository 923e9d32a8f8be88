// CKnob: a rotary control dragged along its circle or in a straight line, with
// wheel and arrow keys; CAnimKnob: a knob drawn as one frame of a vertical strip.
#pragma once

#include "gui/ccolor.h"
#include "gui/ccontrol.h"

namespace VSTGUI
{

/// The knob mode in which a plain drag is linear (alt then gives the circular drag).
constexpr long kLinearKnobMode = 2;

class CKnob : public CControl
{
public:
    CKnob(const CRect& size, CControlListener* listener, long tag, CBitmap* background, CBitmap* handle,
          const CPoint& offset);
    ~CKnob() override;

    void draw(CDrawContext* context) override;
    void mouse(CDrawContext* context, CPoint& where, long button = -1) override;
    bool onWheel(CDrawContext* context, const CPoint& where, float distance) override;
    using CControl::onWheel;
    long onKeyDown(VstKeyCode& keyCode) override;
    bool isTypeOf(const char* name) const override;

    virtual void drawHandle(CDrawContext* context);
    virtual void setStartAngle(float val);
    virtual float getStartAngle() const;
    virtual void setRangeAngle(float val);
    virtual float getRangeAngle() const;
    /// The handle point of the current value, in the knob's local coordinates.
    virtual void valueToPoint(CPoint& point) const;
    /// The value whose angle points at the given local point.
    virtual float valueFromPoint(CPoint& point) const;
    virtual void setInsetValue(long val);
    virtual void setColorShadowHandle(CColor color);
    virtual void setColorHandle(CColor color);
    virtual void setHandleBitmap(CBitmap* bitmap);
    virtual void setZoomFactor(float val);
    virtual float getZoomFactor() const;

    /// Recomputes the angle mapping from the current range and angles.
    void compute();

protected:
    /// The handle point of the value v, in the knob's local coordinates.
    void pointForValue(float v, CPoint& point) const;

    CPoint offset;
    CColor colorHandle;
    CColor colorShadowHandle;
    CBitmap* handle;
    long inset;
    float startAngle;
    float rangeAngle;
    float halfAngle;
    float aCoef;
    float bCoef;
    float radius;
    float zoomFactor;

private:
    void trackLinear(CDrawContext* context, CPoint& where, long button);
    void trackCircular(CDrawContext* context, CPoint& where);
    /// Adds steps x wheelInc and reports the change as one edit gesture.
    void stepValue(CDrawContext* context, float steps);
};

class CAnimKnob : public CKnob
{
public:
    CAnimKnob(const CRect& size, CControlListener* listener, long tag, long subPixmaps, long heightOfOneImage,
              CBitmap* background, CPoint& offset);
    /// Takes the frame height from the rectangle and the frame count from the bitmap.
    CAnimKnob(const CRect& size, CControlListener* listener, long tag, CBitmap* background, CPoint& offset);
    ~CAnimKnob() override;

    void draw(CDrawContext* context) override;
    bool isDirty() const override;
    bool isTypeOf(const char* name) const override;

    void setInverseBitmap(bool val) { inverseBitmap = val; }
    bool getInverseBitmap() const { return inverseBitmap; }
    long getSubPixmaps() const { return subPixmaps; }
    long getHeightOfOneImage() const { return heightOfOneImage; }
    /// Source y in the strip of the frame that the current value shows.
    long sourceOffsetY() const;
    /// Source y of the frame that shows the value v.
    long sourceOffsetY(float v) const;

protected:
    long subPixmaps;
    long heightOfOneImage;
    bool inverseBitmap;
    CPoint lastDrawnPoint;
};

} // namespace VSTGUI
