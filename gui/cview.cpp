// CView: the base of every on-screen element of the toolkit.
// Geometry, dirty state, mouse area, background bitmap and a small attribute store.
#include "gui/cview.h"

#include <cstring>
#include <memory>

#include "gui/cbitmap.h"
#include "gui/cdrawcontext.h"
#include "gui/cframe.h"

namespace VSTGUI
{

const char kMsgCheckIfViewContainer[] = "kMsgCheckIfViewContainer";

struct CView::Attribute
{
    Attribute* next = nullptr;
    std::unique_ptr<unsigned char[]> data;
    long size = 0;
    uint32_t id = 0;
};

CView::CView(const CRect& rect) : size(rect), mouseableArea(rect) {}

CView::~CView()
{
    if (background) background->forget();
    while (attributes)
    {
        Attribute* next = attributes->next;
        delete attributes;
        attributes = next;
    }
}

void CView::draw(CDrawContext* context)
{
    if (background && context) drawBitmap(context, background, size, CPoint(0, 0));
    setDirty(false);
}

void CView::drawBitmap(CDrawContext* context, CBitmap* bitmap, CRect rect, const CPoint& source) const
{
    if (transparency)
        bitmap->drawTransparent(context, rect, source);
    else
        bitmap->draw(context, rect, source);
}

void CView::drawRect(CDrawContext* context, const CRect&)
{
    draw(context);
}

bool CView::checkUpdate(CRect& updateRect) const
{
    // Edges touching count as overlap: a view bordering the update area is redrawn too.
    if (updateRect.right < size.left || updateRect.left > size.right || updateRect.bottom < size.top)
        return false;
    return updateRect.top <= size.bottom;
}

void CView::mouse(CDrawContext*, CPoint&, long) {}

void CView::setBackground(CBitmap* bitmap)
{
    // Remember first so that setting the same bitmap again cannot destroy it.
    if (bitmap) bitmap->remember();
    if (background) background->forget();
    background = bitmap;
    setDirty(true);
}

CBitmap* CView::getBackground() const
{
    return background;
}

long CView::onKeyDown(VstKeyCode&)
{
    return -1;
}
long CView::onKeyUp(VstKeyCode&)
{
    return -1;
}
bool CView::onWheel(CDrawContext*, const CPoint&, float)
{
    return false;
}

bool CView::onWheel(CDrawContext* context, const CPoint& where, CMouseWheelAxis, float distance)
{
    return onWheel(context, where, distance);
}

bool CView::onDrop(CDrawContext*, CDragContainer*, const CPoint&)
{
    return false;
}
void CView::onDragEnter(CDrawContext*, CDragContainer*, const CPoint&) {}
void CView::onDragLeave(CDrawContext*, CDragContainer*, const CPoint&) {}
void CView::onDragMove(CDrawContext*, CDragContainer*, const CPoint&) {}
void CView::looseFocus(CDrawContext*) {}
void CView::takeFocus(CDrawContext*) {}

bool CView::isDirty() const
{
    return dirty;
}
void CView::setDirty(bool val)
{
    dirty = val;
}

void CView::setMouseEnabled(bool enabled)
{
    mouseEnabled = enabled;
}
bool CView::getMouseEnabled() const
{
    return mouseEnabled;
}
void CView::setMouseableArea(const CRect& rect)
{
    mouseableArea = rect;
}

CRect& CView::getMouseableArea(CRect& rect) const
{
    rect = mouseableArea;
    return rect;
}

bool CView::hitTest(const CPoint& where, long)
{
    return mouseableArea.pointInsideInclusive(where);
}

void CView::setTransparency(bool val)
{
    transparency = val;
}
bool CView::getTransparency() const
{
    return transparency;
}

void CView::setViewSize(CRect& rect)
{
    size = rect;
    setDirty(true);
}

CRect& CView::getViewSize(CRect& rect) const
{
    rect = size;
    return rect;
}

bool CView::removed(CView*)
{
    return true;
}
bool CView::attached(CView*)
{
    return true;
}

void CView::getMouseLocation(CDrawContext* context, CPoint& point)
{
    if (!context) return;
    if (parentView && parentView->notify(this, kMsgCheckIfViewContainer) == 1)
    {
        CRect parentSize;
        parentView->getViewSize(parentSize);
        OffsetShift shift(context, parentSize.left, parentSize.top);
        parentView->getMouseLocation(context, point);
        return;
    }
    context->getMouseLocation(point);
}

CPoint& CView::frameToLocal(CPoint& point) const
{
    if (parentView && parentView->isTypeOf("CViewContainer")) return parentView->frameToLocal(point);
    return point;
}

CPoint& CView::localToFrame(CPoint& point) const
{
    if (parentView && parentView->isTypeOf("CViewContainer")) return parentView->localToFrame(point);
    return point;
}

AEffGUIEditor* CView::getEditor() const
{
    return parentFrame ? parentFrame->getEditor() : nullptr;
}

long CView::notify(CView*, const char*)
{
    return 0;
}

void CView::redrawRect(CDrawContext* context, const CRect& rect)
{
    if (parentView)
        parentView->redrawRect(context, rect);
    else if (parentFrame)
        parentFrame->drawRect(context, rect);
}

bool CView::wantsFocus() const
{
    return bWantsFocus;
}
void CView::setWantsFocus(bool val)
{
    bWantsFocus = val;
}

bool CView::isTypeOf(const char* name) const
{
    return name && std::strcmp(name, "CView") == 0;
}

void CView::update(CDrawContext* context)
{
    if (isDirty())
    {
        if (context)
            redrawRect(context, size);
        else if (parentFrame)
            parentFrame->draw(this);
        setDirty(false);
    }
}

void CView::redraw()
{
    if (parentFrame) parentFrame->draw(this);
}

CView::Attribute* CView::findAttribute(uint32_t id) const
{
    for (Attribute* entry = attributes; entry; entry = entry->next)
        if (entry->id == id) return entry;
    return nullptr;
}

bool CView::setAttribute(uint32_t id, long dataSize, const void* data)
{
    if (dataSize < 0 || (dataSize > 0 && !data)) return false;
    if (Attribute* entry = findAttribute(id))
    {
        // The stored size stays: a smaller write only replaces the first bytes.
        if (entry->size < dataSize) return false;
        if (dataSize > 0) std::memcpy(entry->data.get(), data, static_cast<size_t>(dataSize));
        return true;
    }
    auto* entry = new Attribute;
    entry->id = id;
    entry->size = dataSize;
    entry->data = std::make_unique<unsigned char[]>(static_cast<size_t>(dataSize > 0 ? dataSize : 1));
    if (dataSize > 0) std::memcpy(entry->data.get(), data, static_cast<size_t>(dataSize));
    Attribute** tail = &attributes;
    while (*tail)
        tail = &(*tail)->next;
    *tail = entry;
    return true;
}

bool CView::getAttributeSize(uint32_t id, long& outSize) const
{
    const Attribute* entry = findAttribute(id);
    if (!entry) return false;
    outSize = entry->size;
    return true;
}

bool CView::getAttribute(uint32_t id, long bufferSize, void* data, long& outSize) const
{
    const Attribute* entry = findAttribute(id);
    if (!entry || entry->size > bufferSize || (entry->size > 0 && !data)) return false;
    if (entry->size > 0) std::memcpy(data, entry->data.get(), static_cast<size_t>(entry->size));
    outSize = entry->size;
    return true;
}

} // namespace VSTGUI
