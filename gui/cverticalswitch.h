// CVerticalSwitch: a control with positions stacked vertically; a click or drag
// picks the position at that height and the matching picture of a strip is shown.
#pragma once

#include "gui/ccontrol.h"

namespace VSTGUI
{

class CVerticalSwitch : public CControl
{
public:
    CVerticalSwitch(const CRect& size, CControlListener* listener, long tag, long subPixmaps,
                    long heightOfOneImage, long iMaxPositions, CBitmap* background, CPoint& offset);
    /// Takes the picture height from the rectangle and the count from the bitmap.
    CVerticalSwitch(const CRect& size, CControlListener* listener, long tag, CBitmap* background,
                    CPoint& offset);
    ~CVerticalSwitch() override;

    void draw(CDrawContext* context) override;
    void mouse(CDrawContext* context, CPoint& where, long button = -1) override;
    bool isTypeOf(const char* name) const override;

    long getSubPixmaps() const { return subPixmaps; }
    long getHeightOfOneImage() const { return heightOfOneImage; }
    long getMaxPositions() const { return iMaxPositions; }
    /// The picture the current value shows: the nearest position, halves going up (may lie
    /// outside 0..iMaxPositions - 1 for a value the owner set outside 0..1).
    long position() const;
    long position(float v) const;

protected:
    CPoint offset;
    long subPixmaps;
    long heightOfOneImage;
    long iMaxPositions;

private:
    /// The value of the position under a pointer height, in 0..1.
    float valueAt(long y) const;
};

} // namespace VSTGUI
