// CControl: the base of every view that carries a value, and CControlListener,
// the interface through which a control reports user changes to its owner.
#pragma once

#include <atomic>

#include "gui/cview.h"

namespace VSTGUI
{

class CControl;
class CDrawContext;
class CBitmap;

/// Receives the changes a user makes through a control.
class CControlListener
{
public:
    virtual ~CControlListener() = default;
    /// Called after a user action changed the control's value (context is null for keys).
    virtual void valueChanged(CDrawContext* context, CControl* control) = 0;
    /// A press with a modifier held; a non-zero answer means the owner took the click.
    virtual long controlModifierClicked(CDrawContext* context, CControl* control, long button);
};

/// The button bits that count as modifiers for controlModifierClicked.
constexpr long kControlModifierMask = 120;

class CControl : public CView
{
public:
    CControl(const CRect& size, CControlListener* listener = nullptr, long tag = 0,
             CBitmap* background = nullptr);
    ~CControl() override;

    void draw(CDrawContext* context) override = 0;
    bool isDirty() const override;
    void setDirty(bool val = true) override;
    void update(CDrawContext* context) override;
    bool isTypeOf(const char* name) const override;
    bool attached(CView* parent) override;
    bool removed(CView* parent) override;

    /// Lets the frame run its idle work (used inside mouse-tracking loops).
    virtual void doIdleStuff();

    virtual void setValue(float val);
    virtual float getValue() const;
    virtual void setMin(float val);
    virtual float getMin() const;
    virtual void setMax(float val);
    virtual float getMax() const;
    virtual void setOldValue(float val);
    virtual float getOldValue() const;
    virtual void setDefaultValue(float val);
    virtual float getDefaultValue() const;
    virtual void setTag(long val);
    virtual long getTag() const;
    /// Opens an edit gesture: takes the keyboard focus and tells the host.
    virtual void beginEdit();
    /// Closes the edit gesture opened by beginEdit.
    virtual void endEdit();
    virtual void setBackOffset(CPoint& offset);
    virtual void copyBackOffset();
    virtual void setWheelInc(float val);
    virtual float getWheelInc() const;
    /// Brings the value back inside vmin..vmax.
    virtual void bounceValue();
    /// Control-click reset to the default value; true when the click was consumed.
    virtual bool checkDefaultValue(CDrawContext* context, long button);

    /// True when called again within the double-click interval of the last call.
    bool isDoubleClick();

    CControlListener* getListener() const { return listener; }

protected:
    /// The value as the GUI thread sees it now; the owner may write it from another thread.
    float currentValue() const { return value.load(std::memory_order_relaxed); }
    void storeValue(float val) { value.store(val, std::memory_order_relaxed); }
    /// Ends a draw that showed `shown`. The owner may write a new value while we draw; marking
    /// clean with the value read afterwards would leave a stale picture that never redraws.
    void markDrawn(float shown);
    /// Calls the listener's valueChanged when the value moved since the last draw.
    void reportIfDirty(CDrawContext* context);
    /// Offers a modified press to the listener; true when the listener took it.
    bool modifierClickTaken(CDrawContext* context, long button);
    /// The start every dragging control shares: reads the buttons when given -1, then lets a
    /// disabled control, a press without the left button, the listener's modifier click and the
    /// control-click reset end the press. True when the control should go on with its drag.
    bool acceptPress(CDrawContext* context, long& button);
    /// True once a container let go of the control: a host that closes the editor during a drag
    /// tears the frame down from inside the drag's idle pump, and the drag must then stop at once
    /// without touching the frame or its context again.
    bool wasRemoved() const { return removedFromParent; }
    /// The drag every tracking control runs inside one edit gesture: `step` handles the pointer
    /// where it is, then the pointer is read again and the frame idles, until `held` answers false.
    /// A control removed during the idle stops at once and sends no endEdit.
    template <class Step, class Held>
    void trackDrag(CDrawContext* context, CPoint& where, Step step, Held held)
    {
        beginEdit();
        do
        {
            step();
            getMouseLocation(context, where);
            doIdleStuff();
            if (wasRemoved()) return;
        } while (held());
        endEdit();
    }
    /// Truncates towards zero like a cast, but a value the owner set out of range
    /// (huge, infinite or NaN) gives a bounded pixel number instead of undefined behaviour.
    static long truncatePixels(double x);

    CControlListener* listener;
    long tag;
    float oldValue;
    float defaultValue;
    // The host's automation thread writes the value while the GUI thread reads it:
    // relaxed atomic access keeps that lock-free and free of data races.
    std::atomic<float> value;
    float vmin;
    float vmax;
    float wheelInc;
    long lastTicks;
    long delta;
    CPoint backOffset;

private:
    bool removedFromParent = false;
};

} // namespace VSTGUI
