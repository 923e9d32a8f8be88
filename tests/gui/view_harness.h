// Test views for the view, container and frame tests: a view that paints one colour and
// records every call the toolkit makes on it, and pixel reading from drawing contexts.
#pragma once

#include <string>
#include <vector>

#include "gui/ccolor.h"
#include "gui/cdrawcontext.h"
#include "gui/cframe.h"
#include "gui/coffscreencontext.h"
#include "gui/cview.h"
#include "plugin/aeffect.h"

namespace sorvelt_test
{

using namespace VSTGUI;

/// The colour at (x, y) of a context's pixels (opaque colours read back as they were drawn).
inline CColor pixelAt(CDrawContext& context, int x, int y)
{
    const PixelBuffer pixels = context.getPixelBuffer();
    const std::uint8_t* p = pixels.pixel(x, y);
    return CColor{p[2], p[1], p[0], p[3]};
}

inline CColor pixelAt(const PixelBuffer& pixels, int x, int y)
{
    const std::uint8_t* p = pixels.pixel(x, y);
    return CColor{p[2], p[1], p[0], p[3]};
}

/// Paints its whole rectangle in one colour and logs what reaches it.
class ProbeView : public CView
{
public:
    ProbeView(const CRect& rect, CColor color, std::vector<std::string>* log = nullptr, std::string name = "")
        : CView(rect), color(color), log(log), name(std::move(name))
    {
    }

    void draw(CDrawContext* context) override
    {
        ++draws;
        context->getClipRect(lastClip);
        context->setFillColor(color);
        context->drawRect(size, kDrawFilled);
        note("draw");
        setDirty(false);
    }
    void mouse(CDrawContext* context, CPoint& where, long buttons) override
    {
        ++clicks;
        lastWhere = where;
        lastButtons = buttons;
        focusAtClick = getFrame() ? getFrame()->getFocusView() : nullptr;
        lastContext = context;
        note("mouse");
    }
    long onKeyDown(VstKeyCode& key) override
    {
        note("keyDown");
        ++keysDown;
        return keyAnswer == -2 ? -1 : (key.character == acceptedCharacter ? keyAnswer : -1);
    }
    long onKeyUp(VstKeyCode& key) override
    {
        note("keyUp");
        return key.character == acceptedCharacter ? keyAnswer : -1;
    }
    bool onWheel(CDrawContext* context, const CPoint& where, CMouseWheelAxis axis, float distance) override
    {
        note("wheel");
        lastWhere = where;
        lastAxis = axis;
        lastDistance = distance;
        if (context) wheelOffset = context->offset;
        return wheelAnswer;
    }
    void onDragEnter(CDrawContext*, CDragContainer*, const CPoint& where) override { noteAt("enter", where); }
    void onDragMove(CDrawContext*, CDragContainer*, const CPoint& where) override { noteAt("move", where); }
    void onDragLeave(CDrawContext*, CDragContainer*, const CPoint& where) override { noteAt("leave", where); }
    bool onDrop(CDrawContext*, CDragContainer*, const CPoint& where) override
    {
        noteAt("drop", where);
        return dropAnswer;
    }
    void looseFocus(CDrawContext*) override { note("looseFocus"); }
    void takeFocus(CDrawContext*) override { note("takeFocus"); }

    CColor color;
    std::vector<std::string>* log;
    std::string name;
    int draws = 0;
    int clicks = 0;
    int keysDown = 0;
    CRect lastClip;
    CPoint lastWhere;
    long lastButtons = 0;
    CView* focusAtClick = nullptr;
    CDrawContext* lastContext = nullptr;
    CMouseWheelAxis lastAxis = kVerticalWheel;
    float lastDistance = 0;
    CPoint wheelOffset;
    bool wheelAnswer = true;
    bool dropAnswer = true;
    std::int32_t acceptedCharacter = 'a';
    long keyAnswer = 1;

private:
    void note(const char* what)
    {
        if (log) log->push_back(name + ":" + what);
    }
    void noteAt(const char* what, const CPoint& where)
    {
        if (log)
            log->push_back(name + ":" + what + "@" + std::to_string(where.x) + "," + std::to_string(where.y));
    }
};

inline VstKeyCode key(std::int32_t character, std::uint8_t virt = 0, std::uint8_t modifier = 0)
{
    VstKeyCode code{};
    code.character = character;
    code.virt = virt;
    code.modifier = modifier;
    return code;
}

} // namespace sorvelt_test
