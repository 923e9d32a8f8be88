// CDrawContext's text: the standard font tables, font selection and the layout of a string in
// its rectangle (alignment, baseline, opaque background, underline) for each flavour. The
// backend measures and draws glyphs at the baseline this file computes (drawbackend.h).
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "gui/cdrawcontext.h"

namespace VSTGUI
{

#if SORVELT_MAC_FLAVOUR
const long gStandardFontSize[kFontCount] = {12, 18, 14, 12, 10, 9, 9, 12};
const char* const gMacXfontNames[kFontCount] = {"Helvetica", "Helvetica", "Helvetica", "Helvetica",
                                                "Helvetica", "Helvetica", "Helvetica", "Symbol"};
const char* const gStandardFontName[kFontCount] = {"Helvetica", "Helvetica", "Helvetica", "Helvetica",
                                                   "Helvetica", "Helvetica", "Helvetica", "Symbol"};
#else
const long gStandardFontSize[kFontCount] = {12, 18, 14, 12, 11, 10, 9, 13};
const char* const gStandardFontName[kFontCount] = {"Arial", "Arial", "Arial", "Arial",
                                                   "Arial", "Arial", "Arial", "Symbol"};
#endif

void CDrawContext::setFont(CFont fontID, long size, long style)
{
    if (fontID < 0 || fontID >= kFontCount) fontID = kFontSystem;
    if (size == 0) size = gStandardFontSize[fontID];
    if (fontID == fontId && size == fontSize && style == fontStyle) return;
    fontId = fontID;
    fontSize = static_cast<std::int32_t>(size);
    fontStyle = static_cast<std::int32_t>(style);
    applyFont();
}

void CDrawContext::applyFont()
{
    if (!backend || fontId < 0 || fontId >= kFontCount) return;
    const bool bold = (fontStyle & kBoldFace) != 0
#if !SORVELT_MAC_FLAVOUR
                      || fontId == kFontSystem // the Windows system font is always bold
#endif
        ;
#if SORVELT_MAC_FLAVOUR
    // Quartz would mirror text of a negative size; the magnitude is what was meant.
    const long height = -std::labs(fontSize);
#else
    // As a Windows font is created: height -size, so a negative size asks for that cell height.
    const long height = -static_cast<long>(fontSize);
#endif
    backend->setFont(gStandardFontName[fontId], height, bold, (fontStyle & kItalicFace) != 0,
                     (fontStyle & kUnderlineFace) != 0);
    ++fontCreations;
}

long CDrawContext::getStringWidth(const char* string)
{
    if (!string || !backend) return 0;
    return backend->textWidth(string);
}

void CDrawContext::drawString(const char* string, const CRect& rect, short opaque, CHoriTxtAlign hAlign)
{
    if (!string || !backend) return;
    CRect r = rect;
    r.offset(offset.x, offset.y);
#if !SORVELT_MAC_FLAVOUR
    // A platform text box (GDI's DrawTextA) lays the string out by these same rules itself.
    if (backend->drawTextBox(string, r, hAlign, opaque != 0))
    {
        touched();
        return;
    }
#endif
    const long w = getStringWidth(string);
    const FontMetrics font = backend->fontMetrics();
    const long ascent = std::lround(font.ascent);
    const long textHeight = ascent + std::lround(font.descent);
#if SORVELT_MAC_FLAVOUR
    (void)opaque;
    (void)textHeight;
    const long baseline = fontSize / 2 + (r.bottom - (r.bottom - r.top) / 2) - 1;
    long x = r.left + 1;
    if (hAlign == kRightText)
        x = r.right - w;
    else if (hAlign == kCenterText)
        x = r.left + (r.right - r.left) / 2 - w / 2;
    backend->pushClip(clipRect);
#else
    // One line, vertically centred, clipped to the rectangle as a Windows text box is.
    const long top = r.top + (r.height() - textHeight) / 2;
    const long baseline = top + ascent;
    long x = r.left + 1;
    if (hAlign == kRightText)
        x = r.right - w;
    else if (hAlign == kCenterText)
        x = r.left + (r.width() - w) / 2;
    backend->pushClip(r);
    if (opaque) backend->fillRect(CRect(x, top, x + w, top + textHeight), Paint{fillColor});
#endif
    backend->drawText(string, x, baseline, fontColor);
    if (fontStyle & kUnderlineFace)
    {
        const long y = baseline + std::max(1L, std::lround(font.descent / 3));
        backend->fillRect(CRect(x, y, x + w, y + std::max(1L, fontSize / 12L)), Paint{fontColor});
    }
    backend->popClip();
    touched();
}

} // namespace VSTGUI
