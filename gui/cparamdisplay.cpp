// CParamDisplay: turns the value into text through the owner's converter (or
// "%2.2f") and draws it with the background, edge and shadow its style asks for.
#include "gui/cparamdisplay.h"

#include <cstdio>
#include <cstring>

#include "gui/cbitmap.h"

namespace VSTGUI
{

CParamDisplay::CParamDisplay(const CRect& size, CBitmap* background, long style)
    : CControl(size, nullptr, 0, background), stringConvert(nullptr), stringConvert2(nullptr),
      string2FloatConvert(nullptr), userData(nullptr), horiTxtAlign(kCenterText), style(style),
      fontID(kFontNormal), txtFace(kNormalFace), fontColor(kWhiteCColor), backColor(kBlackCColor),
      frameColor(kBlackCColor), shadowColor(kRedCColor), textTransparency(true)
{
    backOffset = CPoint(0, 0);
    // A display that never draws must not start dirty, or the frame would keep visiting it.
    if (style & kNoDrawStyle) setDirty(false);
}

CParamDisplay::~CParamDisplay() = default;

bool CParamDisplay::isTypeOf(const char* name) const
{
    return (name && std::strcmp(name, "CParamDisplay") == 0) || CControl::isTypeOf(name);
}

void CParamDisplay::setFont(CFont val)
{
    if (val != fontID) setDirty(true);
    fontID = val;
}

void CParamDisplay::setTxtFace(CTxtFace val)
{
    if (val != txtFace) setDirty(true);
    txtFace = val;
}

void CParamDisplay::setHoriAlign(CHoriTxtAlign val)
{
    if (val != horiTxtAlign) setDirty(true);
    horiTxtAlign = val;
}

void CParamDisplay::changeColor(CColor& field, CColor color)
{
    if (!(field == color)) setDirty(true);
    field = color;
}

void CParamDisplay::setFontColor(CColor color)
{
    changeColor(fontColor, color);
}
void CParamDisplay::setBackColor(CColor color)
{
    changeColor(backColor, color);
}
void CParamDisplay::setFrameColor(CColor color)
{
    changeColor(frameColor, color);
}
void CParamDisplay::setShadowColor(CColor color)
{
    changeColor(shadowColor, color);
}

void CParamDisplay::setStyle(long val)
{
    if (val == style) return;
    style = val;
    setDirty(true);
}

void CParamDisplay::setStringConvert(StringConvert convert)
{
    stringConvert = convert;
}

void CParamDisplay::setStringConvert(StringConvertWithData convert, void* data)
{
    stringConvert2 = convert;
    userData = data;
}

void CParamDisplay::setString2FloatConvert(String2FloatConvert convert)
{
    string2FloatConvert = convert;
}
void CParamDisplay::setTextTransparency(bool val)
{
    textTransparency = val;
}

void CParamDisplay::formatValue(char* text) const
{
    formatValue(text, currentValue());
}

void CParamDisplay::formatValue(char* text, float v) const
{
    text[0] = 0;
    if (stringConvert2)
        stringConvert2(v, text, userData);
    else if (stringConvert)
        stringConvert(v, text);
    else
        std::snprintf(text, kTextSize, "%2.2f", static_cast<double>(v));
    // A converter that forgets its terminator must not make us read past the buffer.
    text[kTextSize - 1] = 0;
}

void CParamDisplay::draw(CDrawContext* context)
{
    const float shown = currentValue();
    char text[kTextSize];
    formatValue(text, shown);
    drawText(context, text);
    markDrawn(shown);
}

void CParamDisplay::drawText(CDrawContext* context, char* string, CBitmap* newBack)
{
    setDirty(false);
    if (style & kNoDrawStyle) return;

    if (CBitmap* bitmap = newBack ? newBack : getBackground())
        drawBitmap(context, bitmap, size, backOffset);
    else if (!getTransparency())
    {
        context->setFillColor(backColor);
        context->fillRect(size);
        if (!(style & (k3DIn | k3DOut | kNoFrame)))
        {
            context->setFrameColor(frameColor);
            context->drawRect(size);
        }
    }

    if (style & (k3DIn | k3DOut))
    {
        const bool sunken = (style & k3DIn) != 0;
        const long left = size.left;
        const long top = size.top + 1;
        const long right = size.right - 1;
        const long bottom = size.bottom - 1;
        context->setLineWidth(1);

        context->setFrameColor(sunken ? backColor : frameColor);
        context->moveTo(CPoint(left, bottom));
        context->lineTo(CPoint(left, top));
        context->lineTo(CPoint(right, top));

        context->setFrameColor(sunken ? frameColor : backColor);
        context->moveTo(CPoint(right, top));
        context->lineTo(CPoint(right, bottom));
        context->lineTo(CPoint(left, bottom));
    }

    if (!string || (style & kNoTextStyle)) return;

    CRect savedClip;
    context->getClipRect(savedClip);
    CRect clip = size;
    clip.bound(savedClip);
    context->setClipRect(clip);

    context->setFont(fontID, 0, txtFace);
    const short opaque = textTransparency ? 0 : 1;
    if (style & kShadowText)
    {
        CRect shadow = size;
        shadow.offset(1, 1);
        context->setFontColor(shadowColor);
        context->drawString(string, shadow, opaque, horiTxtAlign);
    }
    context->setFontColor(fontColor);
    context->drawString(string, size, opaque, horiTxtAlign);

    context->setClipRect(savedClip);
}

} // namespace VSTGUI
