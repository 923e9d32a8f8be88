// CView: the base of every on-screen element of the toolkit.
// Geometry, dirty state, mouse area, background bitmap and a small attribute store.
#pragma once

#include <cstdint>

#include "gui/cpoint.h"
#include "gui/crect.h"
#include "gui/creferencecounter.h"

struct VstKeyCode;
class AEffGUIEditor;

namespace VSTGUI
{

class CBitmap;
class CDrawContext;
class CDragContainer;
class CFrame;

enum CMouseWheelAxis : std::int32_t
{
    kHorizontalWheel = 0,
    kVerticalWheel = 1
};

/// The one message a container answers with 1; compared by address, never by text.
extern const char kMsgCheckIfViewContainer[];

class CView : public CReferenceCounter
{
public:
    explicit CView(const CRect& size);
    ~CView() override;

    virtual void draw(CDrawContext* context);
    virtual void drawRect(CDrawContext* context, const CRect& updateRect);
    virtual bool checkUpdate(CRect& updateRect) const;
    virtual void mouse(CDrawContext* context, CPoint& where, long buttons);

    virtual void setBackground(CBitmap* bitmap);
    virtual CBitmap* getBackground() const;

    virtual long onKeyDown(VstKeyCode& keyCode);
    virtual long onKeyUp(VstKeyCode& keyCode);
    virtual bool onWheel(CDrawContext* context, const CPoint& where, float distance);
    virtual bool onWheel(CDrawContext* context, const CPoint& where, CMouseWheelAxis axis, float distance);

    virtual bool onDrop(CDrawContext* context, CDragContainer* drag, const CPoint& where);
    virtual void onDragEnter(CDrawContext* context, CDragContainer* drag, const CPoint& where);
    virtual void onDragLeave(CDrawContext* context, CDragContainer* drag, const CPoint& where);
    virtual void onDragMove(CDrawContext* context, CDragContainer* drag, const CPoint& where);

    virtual void looseFocus(CDrawContext* context);
    virtual void takeFocus(CDrawContext* context);

    virtual bool isDirty() const;
    virtual void setDirty(bool val);

    virtual void setMouseEnabled(bool enabled);
    virtual bool getMouseEnabled() const;
    virtual void setMouseableArea(const CRect& rect);
    virtual CRect& getMouseableArea(CRect& rect) const;
    virtual bool hitTest(const CPoint& where, long buttons);

    virtual void setTransparency(bool val);
    virtual bool getTransparency() const;

    virtual void setViewSize(CRect& rect);
    virtual CRect& getViewSize(CRect& rect) const;

    virtual bool removed(CView* parent);
    virtual bool attached(CView* parent);

    virtual void getMouseLocation(CDrawContext* context, CPoint& point);
    virtual CPoint& frameToLocal(CPoint& point) const;
    virtual CPoint& localToFrame(CPoint& point) const;

    virtual AEffGUIEditor* getEditor() const;
    virtual long notify(CView* sender, const char* message);
    virtual void redrawRect(CDrawContext* context, const CRect& rect);

    virtual bool wantsFocus() const;
    virtual void setWantsFocus(bool val);

    virtual bool isTypeOf(const char* name) const;
    virtual void update(CDrawContext* context);

    /// Asks the frame to draw this view now; nothing without a frame.
    void redraw();

    /// Stores a copy of the bytes; an existing entry is overwritten only when it is large enough.
    bool setAttribute(uint32_t id, long size, const void* data);
    bool getAttributeSize(uint32_t id, long& size) const;
    bool getAttribute(uint32_t id, long size, void* data, long& outSize) const;

    CView* getParentView() const { return parentView; }
    CFrame* getFrame() const { return parentFrame; }
    /// Set by the container that adds the view; kept after removal.
    void setParentView(CView* view) { parentView = view; }
    void setParentFrame(CFrame* frame) { parentFrame = frame; }

protected:
    /// Draws `bitmap` into `rect` from `source`: keyed or blended when the view is transparent,
    /// plainly otherwise.
    void drawBitmap(CDrawContext* context, CBitmap* bitmap, CRect rect, const CPoint& source) const;

    CRect size;
    CRect mouseableArea;
    CFrame* parentFrame = nullptr;
    CView* parentView = nullptr;
    bool dirty = false;
    bool mouseEnabled = true;
    bool transparency = false;
    bool bWantsFocus = false;
    CBitmap* background = nullptr;

private:
    struct Attribute;
    Attribute* attributes = nullptr;
    Attribute* findAttribute(uint32_t id) const;
};

} // namespace VSTGUI
