// CParamDisplay: a passive control that shows its value as text over a bitmap
// or a filled, framed rectangle, with optional 3D edge and shadow text.
#pragma once

#include "gui/ccolor.h"
#include "gui/ccontrol.h"
#include "gui/cdrawcontext.h"

namespace VSTGUI
{

/// Style bits a display looks at; other bits are ignored.
enum : long
{
    kShadowText = 0x0004,
    k3DIn = 0x0080,
    k3DOut = 0x0100,
    kNoTextStyle = 0x0800,
    kNoDrawStyle = 0x1000,
    kNoFrame = 0x4000,
};

class CParamDisplay : public CControl
{
public:
    /// Size of the text buffer handed to the converters, terminator included.
    static constexpr int kTextSize = 256;

    using StringConvert = void (*)(float value, char* text);
    using StringConvertWithData = void (*)(float value, char* text, void* userData);
    using String2FloatConvert = void (*)(char* text, float& value);

    CParamDisplay(const CRect& size, CBitmap* background = nullptr, long style = 0);
    ~CParamDisplay() override;

    void draw(CDrawContext* context) override;
    bool isTypeOf(const char* name) const override;

    virtual void setFont(CFont fontID);
    virtual void setFontColor(CColor color);
    virtual void setBackColor(CColor color);
    virtual void setFrameColor(CColor color);
    virtual void setShadowColor(CColor color);
    virtual void setHoriAlign(CHoriTxtAlign hAlign);
    virtual void setStringConvert(StringConvert convert);
    virtual void setStringConvert(StringConvertWithData convert, void* userData);
    virtual void setString2FloatConvert(String2FloatConvert convert);
    virtual void setStyle(long val);
    virtual void setTxtFace(CTxtFace val);
    virtual void setTextTransparency(bool val);

    CFont getFont() const { return fontID; }
    CColor getFontColor() const { return fontColor; }
    CColor getBackColor() const { return backColor; }
    CColor getFrameColor() const { return frameColor; }
    CColor getShadowColor() const { return shadowColor; }
    CHoriTxtAlign getHoriAlign() const { return horiTxtAlign; }
    long getStyle() const { return style; }
    CTxtFace getTxtFace() const { return txtFace; }
    bool getTextTransparency() const { return textTransparency; }

    /// Writes the text for the current value into a buffer of kTextSize characters.
    void formatValue(char* text) const;
    void formatValue(char* text, float v) const;
    /// Draws background, edge and the given text (none for null); newBack replaces the background.
    void drawText(CDrawContext* context, char* string, CBitmap* newBack = nullptr);

protected:
    /// Marks the display dirty when a colour setter changes any channel.
    void changeColor(CColor& field, CColor color);

    StringConvert stringConvert;
    StringConvertWithData stringConvert2;
    String2FloatConvert string2FloatConvert;
    void* userData;
    CHoriTxtAlign horiTxtAlign;
    long style;
    CFont fontID;
    CTxtFace txtFace;
    CColor fontColor;
    CColor backColor;
    CColor frameColor;
    CColor shadowColor;
    bool textTransparency;
};

} // namespace VSTGUI
