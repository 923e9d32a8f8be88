// CViewContainer: a view that owns an ordered list of child views.
// Early children are drawn first, at the bottom; events go last to first, so the topmost child wins.
#pragma once

#include "gui/ccolor.h"
#include "gui/cview.h"

namespace VSTGUI
{

class COffscreenContext;

class CViewContainer : public CView
{
public:
    CViewContainer(const CRect& size, CFrame* frame, CBitmap* background = nullptr);
    ~CViewContainer() override;

    virtual void addView(CView* view);
    virtual void addView(CView* view, CRect& mouseableArea, bool mouseEnabled = true);
    virtual void removeView(CView* view, const bool& withForget = true);
    virtual void removeAll(const bool& withForget = true);
    virtual bool isChild(CView* view) const;
    virtual long getNbViews() const;
    virtual CView* getView(long index) const;

    virtual void setBackgroundColor(CColor color);
    virtual CColor getBackgroundColor() const;
    virtual void setBackgroundOffset(const CPoint& offset);
    virtual const CPoint& getBackgroundOffset() const;
    virtual void drawBackgroundRect(CDrawContext* context, CRect& rect);

    virtual void setMode(long mode);
    virtual long getMode() const;
    virtual void useOffscreen(bool flag);

    virtual CView* getCurrentView() const;
    virtual CView* getViewAt(const CPoint& where, bool deep = false) const;
    virtual bool advanceNextFocusView(CView* oldFocus, bool reverse = false);

    void draw(CDrawContext* context) override;
    void drawRect(CDrawContext* context, const CRect& updateRect) override;
    void mouse(CDrawContext* context, CPoint& where, long buttons) override;
    long onKeyDown(VstKeyCode& keyCode) override;
    long onKeyUp(VstKeyCode& keyCode) override;
    bool onWheel(CDrawContext* context, const CPoint& where, float distance) override;
    bool onWheel(CDrawContext* context, const CPoint& where, CMouseWheelAxis axis, float distance) override;
    bool onDrop(CDrawContext* context, CDragContainer* drag, const CPoint& where) override;
    void onDragEnter(CDrawContext* context, CDragContainer* drag, const CPoint& where) override;
    void onDragLeave(CDrawContext* context, CDragContainer* drag, const CPoint& where) override;
    void onDragMove(CDrawContext* context, CDragContainer* drag, const CPoint& where) override;
    void looseFocus(CDrawContext* context) override;
    void takeFocus(CDrawContext* context) override;
    bool isDirty() const override;
    bool hitTest(const CPoint& where, long buttons) override;
    void setViewSize(CRect& rect) override;
    bool removed(CView* parent) override;
    bool attached(CView* parent) override;
    CPoint& frameToLocal(CPoint& point) const override;
    CPoint& localToFrame(CPoint& point) const override;
    long notify(CView* sender, const char* message) override;
    void redrawRect(CDrawContext* context, const CRect& rect) override;
    bool isTypeOf(const char* name) const override;
    void update(CDrawContext* context) override;

    /// True when a mouse-enabled child takes the point (given in the parent's coordinates).
    bool hitTestSubViews(const CPoint& where, long buttons);

    /// Shifts both offsets of the context by this container's top-left; save gets the old four values.
    void modifyDrawContext(long save[4], CDrawContext* context);
    void restoreDrawContext(CDrawContext* context, long save[4]);

protected:
    /// One node of the child list; it holds one reference to its view.
    struct ChildEntry
    {
        explicit ChildEntry(CView* v) : view(v) { view->remember(); }
        ~ChildEntry() { view->forget(); }
        ChildEntry(const ChildEntry&) = delete;
        ChildEntry& operator=(const ChildEntry&) = delete;

        CView* view;
        ChildEntry* next = nullptr;
        ChildEntry* previous = nullptr;
    };

    /// The context views draw into, and the clip they are bounded by, for draw and drawRect.
    CDrawContext* beginDrawing(CDrawContext* context, long save[4], CRect& clip);
    void endDrawing(CDrawContext* context, CDrawContext* target, long save[4], const CRect& destination,
                    const CPoint& source);
    /// Removes every child; with tellFrame the frame lets go of a focus or modal view among them.
    void releaseChildren(bool withForget, bool tellFrame);
    void makeOffscreen();
    void dropOffscreen();
    CView* childAt(const CPoint& local) const;

    ChildEntry* firstChild = nullptr;
    ChildEntry* lastChild = nullptr;
    long updateMode = 1;
    COffscreenContext* offscreen = nullptr;
    CColor backgroundColor;
    CPoint backgroundOffset;
    bool drawInOffscreen = false;
    CView* dragTarget = nullptr;
};

} // namespace VSTGUI
