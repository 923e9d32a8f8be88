// UHJeditor: builds the window from the layout below and keeps controls and
// parameters in step: user changes go out as automation, effect changes come back in.
#include "editor/uhjeditor.h"

#include <thread>

#include "effect/parameters.h"
#include "effect/stringconvert.h"
#include "gui/cbitmap.h"
#include "gui/cframe.h"
#include "gui/cknob.h"
#include "gui/cparamdisplay.h"
#include "gui/cverticalswitch.h"
#include "plugin/audioeffect.h"

using namespace VSTGUI;

namespace
{

enum BitmapNumber : long
{
    kBackgroundBitmap = 128,
    kAzimuthKnobBitmap = 129,
    kElevationKnobBitmap = 130,
    kWidthKnobBitmap = 131,
    kGainKnobBitmap = 132,
    kInputFormatSwitchBitmap = 133,
    kDisplayBitmap = 134,
};

struct KnobRow
{
    CAnimKnob* UHJeditor::*field;
    CRect size;
    long tag;
    long frames;
    long frameHeight;
    int bitmap; // index into the bitmaps open() creates, 129 first
};

struct DisplayRow
{
    CParamDisplay* UHJeditor::*field;
    CRect size;
    long parameter;
    void (*convert)(float value, char* text);
};

constexpr long kDisplayStyle = 1;

} // namespace

// The window, in creation order: later controls are drawn over earlier ones.
// Rectangles are left, top, right, bottom with right and bottom exclusive.
struct UHJeditorLayout
{
    static inline const KnobRow knobs[] = {
        {&UHJeditor::azimuthKnob, CRect(196, 51, 241, 96), SourceAzimuth, 361, 45, 0},
        {&UHJeditor::elevationKnob, CRect(261, 51, 306, 96), SourceElevation, 181, 45, 1},
        {&UHJeditor::widthKnob, CRect(112, 49, 162, 99), SourceWidth, 181, 50, 2},
        {&UHJeditor::gainKnob, CRect(347, 49, 397, 99), Gain, 101, 50, 3},
    };
    static inline const CRect switchSize{3, 72, 63, 132};
    static constexpr long switchFrames = 3;
    static constexpr long switchFrameHeight = 60;
    static constexpr long switchPositions = 3;
    static inline const DisplayRow displays[] = {
        {&UHJeditor::azimuthDisplay, CRect(199, 103, 239, 127), SourceAzimuth, degreeStringConvert},
        {&UHJeditor::elevationDisplay, CRect(264, 103, 304, 127), SourceElevation,
         elevationDegreeStringConvert},
        {&UHJeditor::widthDisplay, CRect(117, 103, 157, 127), SourceWidth, widthDegreeStringConvert},
        {&UHJeditor::gainDisplay, CRect(352, 103, 392, 127), Gain, percentStringConvert},
    };
};

UHJeditor::UHJeditor(AudioEffect* effect)
    : AEffGUIEditor(effect), CControlListener(), azimuthKnob(nullptr), elevationKnob(nullptr),
      widthKnob(nullptr), gainKnob(nullptr), inputFormatSwitch(nullptr), azimuthDisplay(nullptr),
      elevationDisplay(nullptr), widthDisplay(nullptr), gainDisplay(nullptr), backgroundBitmap(nullptr)
{
    backgroundBitmap = new CBitmap(kBackgroundBitmap);
    rect.top = 0;
    rect.left = 0;
    rect.right = static_cast<short>(backgroundBitmap->getWidth());
    rect.bottom = static_cast<short>(backgroundBitmap->getHeight());
}

UHJeditor::~UHJeditor()
{
    // A host may close the plug-in with the window still open; the frame and its
    // platform window must not outlive the editor that owns them.
    close();
    if (backgroundBitmap)
    {
        backgroundBitmap->forget();
        backgroundBitmap = nullptr;
    }
}

bool UHJeditor::open(void* ptr)
{
    // A host that opens again without closing gets a fresh window, not a second
    // frame with the first one (and its platform window) left behind.
    if (frame) close();
    systemWindow = ptr;

    CBitmap* knobBitmaps[] = {new CBitmap(kAzimuthKnobBitmap), new CBitmap(kElevationKnobBitmap),
                              new CBitmap(kWidthKnobBitmap), new CBitmap(kGainKnobBitmap)};
    CBitmap* switchBitmap = new CBitmap(kInputFormatSwitchBitmap);
    CBitmap* displayBitmap = new CBitmap(kDisplayBitmap);

    CRect frameSize(0, 0, backgroundBitmap->getWidth(), backgroundBitmap->getHeight());
    CFrame* newFrame = new CFrame(frameSize, ptr, this);
    newFrame->setBackground(backgroundBitmap);

    CPoint origin(0, 0);
    for (const KnobRow& row : UHJeditorLayout::knobs)
    {
        CAnimKnob* knob = new CAnimKnob(row.size, this, row.tag, row.frames, row.frameHeight,
                                        knobBitmaps[row.bitmap], origin);
        this->*row.field = knob;
        knob->setValue(effect->getParameter(row.tag));
        newFrame->addView(knob);
    }

    inputFormatSwitch = new CVerticalSwitch(UHJeditorLayout::switchSize, this, InputFormat,
                                            UHJeditorLayout::switchFrames, UHJeditorLayout::switchFrameHeight,
                                            UHJeditorLayout::switchPositions, switchBitmap, origin);
    inputFormatSwitch->setValue(effect->getParameter(InputFormat));
    newFrame->addView(inputFormatSwitch);

    for (const DisplayRow& row : UHJeditorLayout::displays)
    {
        CParamDisplay* display = new CParamDisplay(row.size, displayBitmap, kDisplayStyle);
        this->*row.field = display;
        display->setFont(kFontSmall);
        display->setFontColor(kBlackCColor);
        display->setBackColor(kTransparentCColor);
        display->setFrameColor(kTransparentCColor);
        display->setValue(effect->getParameter(row.parameter));
        display->setStringConvert(row.convert);
        newFrame->addView(display);
    }

    setKnobMode(2);

    for (CBitmap* bitmap : knobBitmaps)
        bitmap->forget();
    switchBitmap->forget();
    displayBitmap->forget();

    frame = newFrame;
    controlsAlive.store(true, std::memory_order_seq_cst);
    // Automation that arrived while the controls were being built was not shown:
    // read every value once more now that writes reach the controls.
    for (VstInt32 index = 0; index < kNumSorveltParameters; ++index)
        setParameter(index, 0.0f);
    return true;
}

void UHJeditor::close()
{
    // Unlike the base's close, the parent window stays recorded and the control
    // pointers keep their (now stale) values; nothing reads them while closed.
    controlsAlive.store(false, std::memory_order_seq_cst);
    while (writersInside.load(std::memory_order_seq_cst) != 0)
        std::this_thread::yield();
    if (frame)
    {
        CFrame* oldFrame = frame;
        frame = nullptr;
        oldFrame->forget();
    }
}

void UHJeditor::setParameter(VstInt32 index, float /*value*/)
{
    writersInside.fetch_add(1, std::memory_order_seq_cst);
    if (controlsAlive.load(std::memory_order_seq_cst) && static_cast<unsigned>(index) < kNumSorveltParameters)
    {
        // The effect's stored value, not the argument: the two agree except when a
        // host races another writer, and then the stored one is what plays.
        const float current = effect->getParameter(index);
        CControl* shown[2] = {nullptr, nullptr};
        switch (index)
        {
        case SourceAzimuth:
            shown[0] = azimuthKnob;
            shown[1] = azimuthDisplay;
            break;
        case SourceElevation:
            shown[0] = elevationKnob;
            shown[1] = elevationDisplay;
            break;
        case SourceWidth:
            shown[0] = widthKnob;
            shown[1] = widthDisplay;
            break;
        case InputFormat:
            shown[0] = inputFormatSwitch;
            break;
        case Gain:
            shown[0] = gainKnob;
            shown[1] = gainDisplay;
            break;
        }
        for (CControl* control : shown)
            if (control) control->setValue(current);
    }
    writersInside.fetch_sub(1, std::memory_order_seq_cst);
}

void UHJeditor::valueChanged(CDrawContext* /*context*/, CControl* control)
{
    const long tag = control->getTag();
    if (tag < 0 || tag >= kNumSorveltParameters) return;
    effect->setParameterAutomated(tag, control->getValue());
    control->setDirty(true);
}

long UHJeditor::controlModifierClicked(CDrawContext* /*context*/, CControl* /*control*/, long /*button*/)
{
    return 0;
}
