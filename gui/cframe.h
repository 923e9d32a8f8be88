// CFrame: the root of the view tree and its only link to the host's window.
// Routes platform events into the views, keeps the modal view and the focus, redraws dirty views on idle.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gui/cviewcontainer.h"
#include "gui/dispatchlifetime.h"
#include "gui/platform.h"

class AEffGUIEditor;

namespace VSTGUI
{

class CDrawContext;
class COffscreenContext;

enum CCursorType : std::int32_t
{
    kCursorDefault = 0,
    kCursorWait,
    kCursorHSize,
    kCursorVSize,
    kCursorSizeAll,
    kCursorNESWSize,
    kCursorNWSESize,
    kCursorCopy,
    kCursorNotAllowed,
    kCursorHand,
};

/// The data of a drag in progress, as the platform's drop target hands it over.
class CDragContainer : public CReferenceCounter
{
public:
    enum
    {
        kFile = 0,
        kText = 1,
        kUnknown = -1
    };

    struct Item
    {
        long type = kUnknown;
        std::string data; // a file path or the text itself, UTF-8
    };

    explicit CDragContainer(std::vector<Item> items);

    long getCount() const { return static_cast<long>(items.size()); }
    /// The item's kind: kFile, kText, or kUnknown (also for an index out of range).
    long getType(long index) const;
    /// Iteration over the items: the data stays valid while the container lives.
    void* first(long& size, long& type);
    void* next(long& size, long& type);

private:
    std::vector<Item> items;
    size_t position = 0;
};

class CFrame : public CViewContainer, private PlatformWindowListener
{
public:
    /// Binds to the host's parent window; without one the frame exists but never draws on its own.
    /// The platform is the one linked in (createPlatform), unless one is handed over here.
    CFrame(const CRect& size, void* systemWindow, AEffGUIEditor* editor,
           std::unique_ptr<Platform> platform = nullptr);
    ~CFrame() override;

    /// The owner's last forget while an event is being dispatched (a host closing the editor
    /// from inside a drag) does not destroy the frame under the dispatch: the views and the
    /// editor are let go at once, the frame and its window go when the dispatch unwinds.
    void forget() override;
    /// True once the owner let go during a dispatch: events and idle passes are ignored.
    bool isReleased() const { return released; }

    /// Keeps the frame alive for one dispatch (DispatchLifetime's rule): its own entry points
    /// hold one, and so does a caller that uses the frame's window after calling in.
    class DispatchScope : public DispatchLifetime::Scope
    {
    public:
        explicit DispatchScope(CFrame& frame) : Scope(frame.lifetime) {}
    };

    void draw(CDrawContext* context) override;
    void drawRect(CDrawContext* context, const CRect& updateRect) override;
    void mouse(CDrawContext* context, CPoint& where, long buttons = -1) override;
    long onKeyDown(VstKeyCode& keyCode) override;
    long onKeyUp(VstKeyCode& keyCode) override;
    bool onWheel(CDrawContext* context, const CPoint& where, float distance) override;
    bool onWheel(CDrawContext* context, const CPoint& where, CMouseWheelAxis axis, float distance) override;
    void setViewSize(CRect& rect) override;
    AEffGUIEditor* getEditor() const override;
    bool isTypeOf(const char* name) const override;
    void update(CDrawContext* context) override;
    CView* getCurrentView() const override;
    bool advanceNextFocusView(CView* oldFocus, bool reverse = false) override;

    /// For frames with a window of their own; one bound to a host window answers false.
    virtual bool open(CPoint* point = nullptr);
    virtual bool close();
    virtual bool isOpen() const;

    /// Drains the window's pending events, then redraws what is dirty.
    virtual void idle();
    virtual void doIdleStuff();
    virtual uint32_t getTicks() const;
    /// The platform's double-click interval in milliseconds (0 without a platform).
    uint32_t getDoubleClickTime() const;
    virtual long getKnobMode() const;

    virtual bool setPosition(long x, long y);
    virtual bool getPosition(long& x, long& y) const;
    virtual bool setSize(long width, long height);
    virtual bool getSize(CRect* rect) const;
    virtual bool getSize(CRect& rect) const;

    virtual bool setModalView(CView* view);
    virtual CView* getModalView() const;

    virtual void beginEdit(long index);
    virtual void endEdit(long index);

    /// The pointer in frame coordinates, read from the platform now.
    virtual bool getCurrentLocation(CPoint& where);
    virtual void setCursor(CCursorType type);

    virtual void setFocusView(CView* view);
    virtual CView* getFocusView() const;
    /// Called by containers as they remove a view: a focus or modal view inside it is let go.
    void forgetRemovedView(CView* view);

    virtual bool setDropActive(bool active);
    virtual bool isDropActive() const;

    virtual void setOpenFlag(bool val);
    virtual bool getOpenFlag() const;

    /// Marks every direct child touching rect dirty; the next idle paints them.
    virtual void invalidate(const CRect& rect);

    virtual bool updatesDisabled() const;
    virtual bool updatesDisabled(bool val);

    /// Draws one child (or everything, for a view that is not a child) at once.
    virtual void draw(CView* view);

    void* getSystemWindow() const { return systemWindow; }

    /// A long-lived context used instead of a fresh one when set (held by reference).
    void setFrameContext(CDrawContext* context);
    CDrawContext* getFrameContext() const { return frameContext; }

    /// The child window inside the host's window; null without a parent window.
    PlatformWindow* getPlatformWindow() const { return window.get(); }
    /// Delivers the window's queued events: paint, clicks, wheel, destruction. A press and the
    /// wheel steps that arrive while a click is being handled (a control tracking the mouse
    /// pumps events) are kept and handled after that click, in the order they came.
    void drainWindowEvents();

protected:
    /// frameContext with a reference taken, or a fresh window context; release with forget.
    CDrawContext* takeDrawContext();
    /// Lets go of everything outside the frame itself: views, focus, editor, open edits.
    void release();
    void onPlatformPaint(const CRect& updateRect) override;
    void onPlatformMouseDown(const CPoint& where) override;
    void onPlatformWheel(const CPoint& where, int axis, float distance) override;
    void onPlatformDestroyed() override;
    bool onPlatformDrag(PlatformDragPhase phase, const std::vector<PlatformDragItem>& items,
                        const CPoint& where) override;

    AEffGUIEditor* editor;
    void* systemWindow;
    CView* modalView = nullptr;
    CView* focusView = nullptr;
    bool firstDraw = true;
    bool openFlag = true;
    bool dropActive = false;
    bool updatesDisabledFlag = false;
    CDrawContext* frameContext = nullptr;

    /// A press or wheel step that came while a click was being handled.
    struct KeptInput
    {
        bool press = false;
        CPoint where;
        long buttons = 0; // a press's buttons, read as it came (they are up by the time it is handled)
        CMouseWheelAxis axis = kVerticalWheel;
        float distance = 0;
    };
    /// Handles what came during the click that just ended, oldest first.
    void handleKeptInput();

    std::unique_ptr<Platform> platform;
    std::unique_ptr<PlatformWindow> window;
    std::vector<KeptInput> keptInput;
    bool handlingKeptInput = false;
    int mouseDepth = 0;    // > 0 while a click is being handled (controls track the mouse inside it)
    DispatchLifetime lifetime{*this};
    bool released = false;
    std::vector<long> openEdits;       // begun and not yet ended, in order
    std::vector<CView*> departedViews; // removed during a dispatch, held until the frame goes
};

} // namespace VSTGUI
