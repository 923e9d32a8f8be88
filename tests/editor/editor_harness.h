// A headless host for the editor tests: Sorvelt created through its factory, a
// host callback that records what the editor tells the host, and pictures of
// views drawn into off-screen contexts.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "editor/uhjeditor.h"
#include "effect/sorvelt.h"
#include "gui/cbitmap.h"
#include "gui/cframe.h"
#include "gui/cknob.h"
#include "gui/coffscreencontext.h"
#include "gui/cparamdisplay.h"
#include "gui/cverticalswitch.h"
#include "plugin/aeffect.h"

namespace editortest
{

using namespace VSTGUI;

struct HostEvent
{
    std::int32_t opcode;
    std::int32_t index;
    float opt;
    bool operator==(const HostEvent&) const = default;
};

inline std::vector<HostEvent>& hostEvents()
{
    static std::vector<HostEvent> events;
    return events;
}

inline std::intptr_t recordingHost(AEffect*, std::int32_t opcode, std::int32_t index, std::intptr_t, void*,
                                   float opt)
{
    if (opcode == audioMasterVersion) return 2400;
    if (opcode == audioMasterAutomate || opcode == audioMasterBeginEdit || opcode == audioMasterEndEdit)
        hostEvents().push_back({opcode, index, opt});
    return 0;
}

/// Pixels of one off-screen drawing, as packed B, G, R, A words.
struct Picture
{
    long width = 0;
    long height = 0;
    std::vector<std::uint32_t> pixels;

    std::vector<std::uint32_t> region(const CRect& r) const
    {
        std::vector<std::uint32_t> out;
        for (long y = r.top; y < r.bottom; ++y)
            for (long x = r.left; x < r.right; ++x)
                out.push_back(pixels[static_cast<size_t>(y * width + x)]);
        return out;
    }
};

inline Picture pictureOf(COffscreenContext& context)
{
    Picture picture;
    picture.width = context.getWidth();
    picture.height = context.getHeight();
    const PixelBuffer buffer = context.getPixelBuffer();
    for (int y = 0; y < buffer.height; ++y)
        for (int x = 0; x < buffer.width; ++x)
        {
            std::uint32_t word;
            std::memcpy(&word, buffer.pixel(x, y), 4);
            picture.pixels.push_back(word);
        }
    return picture;
}

/// The editor's window, as the frame draws it, over black.
inline Picture drawFrame(CFrame* frame)
{
    CRect size;
    frame->getViewSize(size);
    COffscreenContext context(frame, size.right - size.left, size.bottom - size.top, kBlackCColor);
    frame->draw(&context);
    return pictureOf(context);
}

/// One view drawn alone at its place in a black window-sized picture.
inline Picture drawAlone(CFrame* frame, CView* view)
{
    CRect size;
    frame->getViewSize(size);
    COffscreenContext context(frame, size.right - size.left, size.bottom - size.top, kBlackCColor);
    view->draw(&context);
    return pictureOf(context);
}

/// Frame `index` of a vertical strip, drawn over black into `where` of a window-sized picture.
inline Picture drawStripFrame(CFrame* frame, CBitmap* strip, const CRect& where, long frameHeight, long index)
{
    CRect size;
    frame->getViewSize(size);
    COffscreenContext context(frame, size.right - size.left, size.bottom - size.top, kBlackCColor);
    CRect target = where;
    strip->draw(&context, target, CPoint(0, index * frameHeight));
    return pictureOf(context);
}

/// Sorvelt as a host holds it, with its editor.
class EditorHost
{
public:
    EditorHost()
    {
        hostEvents().clear();
        AudioEffect* created = createEffectInstance(&recordingHost);
        record = created ? created->getAeffect() : nullptr;
    }
    ~EditorHost()
    {
        if (record) dispatch(effClose);
    }
    EditorHost(const EditorHost&) = delete;
    EditorHost& operator=(const EditorHost&) = delete;

    AudioEffect* effect() const { return static_cast<AudioEffect*>(record->object); }
    UHJeditor* editor() const { return static_cast<UHJeditor*>(effect()->getEditor()); }
    CFrame* frame() const { return editor()->getFrame(); }

    std::intptr_t dispatch(std::int32_t opcode, std::int32_t index = 0, std::intptr_t value = 0,
                           void* ptr = nullptr, float opt = 0.0f)
    {
        return record->dispatcher(record, opcode, index, value, ptr, opt);
    }
    void set(std::int32_t index, float value) { record->setParameter(record, index, value); }
    float get(std::int32_t index) { return record->getParameter(record, index); }

    /// Opens the editor in a (headless) parent window, as effEditOpen does.
    bool openEditor() { return dispatch(effEditOpen, 0, 0, &parentWindow) == 1; }
    void closeEditor() { dispatch(effEditClose); }

    /// The control at creation position `index` (0 = azimuth knob ... 8 = gain read-out).
    template <class T> T* view(long index) const { return static_cast<T*>(frame()->getView(index)); }
    CControl* control(long index) const { return view<CControl>(index); }

    AEffect* record = nullptr;

private:
    int parentWindow = 0; // headless windows take any non-null parent
};

/// Creation positions of the nine controls.
enum ViewIndex : long
{
    kAzimuthKnob,
    kElevationKnob,
    kWidthKnob,
    kGainKnob,
    kFormatSwitch,
    kAzimuthDisplay,
    kElevationDisplay,
    kWidthDisplay,
    kGainDisplay,
    kViewCount
};

} // namespace editortest
