// CViewContainer: a view that owns an ordered list of child views.
// Early children are drawn first, at the bottom; events go last to first, so the topmost child wins.
#include "gui/cviewcontainer.h"

#include <cstring>

#include "gui/cbitmap.h"
#include "gui/cdrawcontext.h"
#include "gui/cframe.h"
#include "gui/coffscreencontext.h"

namespace VSTGUI
{

namespace
{

CRect bounded(CRect rect, const CRect& by)
{
    rect.bound(by);
    return rect;
}

} // namespace

CViewContainer::CViewContainer(const CRect& rect, CFrame* frame, CBitmap* bitmap)
    : CView(rect), backgroundColor(kBlackCColor), backgroundOffset(0, 0)
{
    parentFrame = frame;
    background = bitmap;
    if (background) background->remember();
    setDirty(true);
}

CViewContainer::~CViewContainer()
{
    // The frame may be gone already when a container outlives it by someone's reference.
    releaseChildren(true, false);
    dropOffscreen();
}

void CViewContainer::addView(CView* view)
{
    if (!view) return;
    auto* entry = new ChildEntry(view);
    entry->previous = lastChild;
    if (lastChild)
        lastChild->next = entry;
    else
        firstChild = entry;
    lastChild = entry;
    view->setParentFrame(parentFrame);
    view->setParentView(this);
    view->attached(this);
    view->setDirty(true);
}

void CViewContainer::addView(CView* view, CRect& area, bool enabled)
{
    if (!view) return;
    view->setMouseEnabled(enabled);
    view->setMouseableArea(area);
    addView(view);
}

void CViewContainer::removeView(CView* view, const bool& withForget)
{
    // The frame must not keep pointing at a view that may be gone after this (focus, modal view).
    if (parentFrame && view) parentFrame->forgetRemovedView(view);
    if (dragTarget == view) dragTarget = nullptr;
    ChildEntry* entry = firstChild;
    while (entry && entry->view != view)
        entry = entry->next;
    if (!entry) return;
    view->removed(this);
    if (entry->previous)
        entry->previous->next = entry->next;
    else
        firstChild = entry->next;
    if (entry->next)
        entry->next->previous = entry->previous;
    else
        lastChild = entry->previous;
    if (withForget) view->forget();
    delete entry;
}

void CViewContainer::removeAll(const bool& withForget)
{
    releaseChildren(withForget, true);
}

void CViewContainer::releaseChildren(bool withForget, bool tellFrame)
{
    // A focus or modal view among the children must not outlive them in the frame.
    if (tellFrame && parentFrame)
        for (ChildEntry* entry = firstChild; entry; entry = entry->next)
            parentFrame->forgetRemovedView(entry->view);
    ChildEntry* entry = firstChild;
    // Unlink first so that nothing a child does while going can reach a half-dead list.
    firstChild = lastChild = nullptr;
    dragTarget = nullptr;
    while (entry)
    {
        ChildEntry* next = entry->next;
        entry->view->removed(this);
        if (withForget) entry->view->forget();
        delete entry;
        entry = next;
    }
}

bool CViewContainer::isChild(CView* view) const
{
    for (ChildEntry* entry = firstChild; entry; entry = entry->next)
        if (entry->view == view) return true;
    return false;
}

long CViewContainer::getNbViews() const
{
    long count = 0;
    for (ChildEntry* entry = firstChild; entry; entry = entry->next)
        ++count;
    return count;
}

CView* CViewContainer::getView(long index) const
{
    if (index < 0) return nullptr;
    for (ChildEntry* entry = firstChild; entry; entry = entry->next, --index)
        if (index == 0) return entry->view;
    return nullptr;
}

void CViewContainer::setBackgroundColor(CColor color)
{
    backgroundColor = color;
    setDirty(true);
}

CColor CViewContainer::getBackgroundColor() const
{
    return backgroundColor;
}
void CViewContainer::setBackgroundOffset(const CPoint& offset)
{
    backgroundOffset = offset;
}
const CPoint& CViewContainer::getBackgroundOffset() const
{
    return backgroundOffset;
}

void CViewContainer::drawBackgroundRect(CDrawContext* context, CRect& rect)
{
    if (background)
    {
        CRect oldClip;
        context->getClipRect(oldClip);
        context->setClipRect(bounded(rect, oldClip));
        drawBitmap(context, background, CRect(0, 0, background->getWidth(), background->getHeight()),
                   backgroundOffset);
        context->setClipRect(oldClip);
    }
    else if (!transparency)
    {
        context->setFillColor(backgroundColor);
        context->fillRect(rect);
    }
}

void CViewContainer::setMode(long mode)
{
    updateMode = mode;
}
long CViewContainer::getMode() const
{
    return updateMode;
}

void CViewContainer::useOffscreen(bool flag)
{
    drawInOffscreen = flag;
    if (!flag) dropOffscreen();
}

void CViewContainer::makeOffscreen()
{
    offscreen =
        new COffscreenContext(parentFrame, size.right - size.left, size.bottom - size.top, kBlackCColor);
}

void CViewContainer::dropOffscreen()
{
    if (offscreen) offscreen->forget();
    offscreen = nullptr;
}

CDrawContext* CViewContainer::beginDrawing(CDrawContext* context, long save[4], CRect& clip)
{
    if (!offscreen && drawInOffscreen) makeOffscreen();
    if (offscreen && transparency)
    {
        CRect behind(size);
        offscreen->copyTo(context, behind, CPoint(0, 0));
    }
    CDrawContext* target = context;
    if (drawInOffscreen && offscreen)
        target = offscreen;
    else
        modifyDrawContext(save, context);

    context->getClipRect(clip);
    if (target != context && parentFrame != static_cast<CView*>(this)) clip.offset(-clip.left, -clip.top);
    return target;
}

void CViewContainer::endDrawing(CDrawContext* context, CDrawContext* target, long save[4],
                                const CRect& destination, const CPoint& source)
{
    if (target != context)
        offscreen->copyFrom(context, destination, source);
    else
        restoreDrawContext(context, save);
}

void CViewContainer::draw(CDrawContext* context)
{
    if (!context) return;
    long save[4];
    CRect clip;
    CDrawContext* target = beginDrawing(context, save, clip);
    CRect oldClip;
    target->getClipRect(oldClip);

    CRect r(0, 0, size.right - size.left, size.bottom - size.top);
    target->setClipRect(bounded(r, clip));
    if (background)
        drawBitmap(target, background, r, backgroundOffset);
    else if (!transparency)
    {
        target->setFillColor(backgroundColor);
        target->fillRect(r);
    }

    for (ChildEntry* entry = firstChild; entry; entry = entry->next)
    {
        CRect childSize;
        entry->view->getViewSize(childSize);
        // A full draw holds each child to the clip the container received, not to the container
        // (a partial redraw does hold them inside it).
        target->setClipRect(bounded(childSize, clip));
        entry->view->draw(target);
    }

    target->setClipRect(oldClip);
    endDrawing(context, target, save, size, CPoint(0, 0));
    setDirty(false);
}

void CViewContainer::drawRect(CDrawContext* context, const CRect& updateRect)
{
    if (!context) return;
    long save[4];
    CRect clip;
    CDrawContext* target = beginDrawing(context, save, clip);
    CRect oldClip;
    target->getClipRect(oldClip);

    CRect inParent = bounded(updateRect, size);
    CRect clientRect(inParent);
    clientRect.offset(-size.left, -size.top);

    const CRect newClip = bounded(clientRect, clip);
    target->setClipRect(newClip);
    drawBackgroundRect(target, clientRect);

    for (ChildEntry* entry = firstChild; entry; entry = entry->next)
    {
        CView* child = entry->view;
        if (!child->checkUpdate(clientRect)) continue;
        CRect childSize;
        child->getViewSize(childSize);
        CRect visible = bounded(childSize, newClip);
        if (visible.right - visible.left == 0 || visible.bottom - visible.top == 0) continue;
        target->setClipRect(visible);
        const bool wasDirty = child->isDirty();
        child->drawRect(target, clientRect);
        // A child drawn only in part must still be drawn whole by the next update.
        if (wasDirty && (visible.left != childSize.left || visible.top != childSize.top ||
                         visible.right != childSize.right || visible.bottom != childSize.bottom))
            child->setDirty(true);
    }

    target->setClipRect(oldClip);
    endDrawing(context, target, save, inParent, CPoint(clientRect.left, clientRect.top));
    setDirty(false);
}

void CViewContainer::redrawRect(CDrawContext* context, const CRect& rect)
{
    CRect inParent(rect);
    inParent.offset(size.left, size.top);
    if (transparency)
    {
        // What lies behind shows through: the parent repaints the area, this container included.
        if (parentView)
            parentView->redrawRect(context, inParent);
        else if (parentFrame && parentFrame != static_cast<CView*>(this))
            parentFrame->drawRect(context, inParent);
        else
            drawRect(context, inParent);
        return;
    }
    if (parentView)
    {
        CPoint parentOrigin(0, 0);
        parentView->localToFrame(parentOrigin);
        OffsetShift shift(context, parentOrigin.x, parentOrigin.y);
        drawRect(context, inParent);
    }
    else
    {
        drawRect(context, inParent);
    }
}

void CViewContainer::update(CDrawContext* context)
{
    const CRect whole(0, 0, size.right - size.left, size.bottom - size.top);
    if (updateMode == 1)
    {
        if (dirty)
        {
            redrawRect(context, whole);
        }
        else
        {
            for (ChildEntry* entry = firstChild; entry; entry = entry->next)
            {
                CView* child = entry->view;
                CRect area(whole);
                if (!child->isDirty() || !child->checkUpdate(area)) continue;
                if (child->notify(this, kMsgCheckIfViewContainer) == 0)
                {
                    CRect childSize;
                    child->getViewSize(childSize);
                    child->redrawRect(context, bounded(childSize, whole));
                }
                else
                {
                    child->update(context);
                }
            }
        }
        setDirty(false);
    }
    else if (updateMode == 0)
    {
        if (isDirty())
        {
            redrawRect(context, whole);
            setDirty(false);
        }
    }
}

bool CViewContainer::isDirty() const
{
    if (dirty) return true;
    const CRect whole(0, 0, size.right - size.left, size.bottom - size.top);
    for (ChildEntry* entry = firstChild; entry; entry = entry->next)
    {
        if (!entry->view->isDirty()) continue;
        CRect childSize;
        entry->view->getViewSize(childSize);
        CRect inside = bounded(childSize, whole);
        if (inside.right - inside.left > 0 && inside.bottom - inside.top > 0) return true;
    }
    return false;
}

void CViewContainer::mouse(CDrawContext* context, CPoint& where, long buttons)
{
    CPoint local(where.x - size.left, where.y - size.top);
    if (buttons == -1 && context) buttons = context->getMouseButtons();
    for (ChildEntry* entry = lastChild; entry; entry = entry->previous)
    {
        CView* child = entry->view;
        if (child->getMouseEnabled() && child->hitTest(local, buttons))
        {
            child->mouse(context, local, buttons);
            return;
        }
    }
}

bool CViewContainer::hitTest(const CPoint& where, long buttons)
{
    return CView::hitTest(where, buttons);
}

bool CViewContainer::hitTestSubViews(const CPoint& where, long buttons)
{
    CPoint local(where.x - size.left, where.y - size.top);
    for (ChildEntry* entry = lastChild; entry; entry = entry->previous)
        if (entry->view->getMouseEnabled() && entry->view->hitTest(local, buttons)) return true;
    return false;
}

CView* CViewContainer::childAt(const CPoint& local) const
{
    for (ChildEntry* entry = lastChild; entry; entry = entry->previous)
    {
        CRect area;
        entry->view->getMouseableArea(area);
        if (area.pointInsideInclusive(local)) return entry->view;
    }
    return nullptr;
}

CView* CViewContainer::getViewAt(const CPoint& where, bool deep) const
{
    if (!parentFrame) return nullptr;
    CPoint local(where.x - size.left, where.y - size.top);
    CView* child = childAt(local);
    if (child && deep && child->isTypeOf("CViewContainer"))
        return static_cast<CViewContainer*>(child)->getViewAt(local, deep);
    return child;
}

CView* CViewContainer::getCurrentView() const
{
    if (!parentFrame) return nullptr;
    CPoint where;
    parentFrame->getCurrentLocation(where);
    frameToLocal(where);
    return childAt(where);
}

bool CViewContainer::onWheel(CDrawContext* context, const CPoint& where, float distance)
{
    return onWheel(context, where, kVerticalWheel, distance);
}

bool CViewContainer::onWheel(CDrawContext* context, const CPoint& where, CMouseWheelAxis axis, float distance)
{
    CView* child = getViewAt(where, false);
    if (!child) return false;
    CPoint local(where.x - size.left, where.y - size.top);
    OffsetShift shift(context, size.left, size.top);
    return child->onWheel(context, local, axis, distance);
}

long CViewContainer::onKeyDown(VstKeyCode& keyCode)
{
    for (ChildEntry* entry = lastChild; entry; entry = entry->previous)
    {
        const long result = entry->view->onKeyDown(keyCode);
        if (result != -1) return result;
    }
    return -1;
}

long CViewContainer::onKeyUp(VstKeyCode& keyCode)
{
    for (ChildEntry* entry = lastChild; entry; entry = entry->previous)
    {
        const long result = entry->view->onKeyUp(keyCode);
        if (result != -1) return result;
    }
    return -1;
}

void CViewContainer::looseFocus(CDrawContext* context)
{
    for (ChildEntry* entry = firstChild; entry; entry = entry->next)
        entry->view->looseFocus(context);
}

void CViewContainer::takeFocus(CDrawContext* context)
{
    for (ChildEntry* entry = firstChild; entry; entry = entry->next)
        entry->view->takeFocus(context);
}

bool CViewContainer::advanceNextFocusView(CView* oldFocus, bool reverse)
{
    bool passed = oldFocus == nullptr;
    for (ChildEntry* entry = reverse ? lastChild : firstChild; entry;
         entry = reverse ? entry->previous : entry->next)
    {
        CView* child = entry->view;
        if (!passed)
        {
            passed = child == oldFocus;
            continue;
        }
        if (child->wantsFocus())
        {
            if (parentFrame) parentFrame->setFocusView(child);
            return true;
        }
        if (child->isTypeOf("CViewContainer") &&
            static_cast<CViewContainer*>(child)->advanceNextFocusView(nullptr, reverse))
            return true;
    }
    return false;
}

void CViewContainer::onDragEnter(CDrawContext* context, CDragContainer* drag, const CPoint& where)
{
    if (!parentFrame) return;
    CPoint local(where.x - size.left, where.y - size.top);
    OffsetShift shift(context, size.left, size.top);
    if (dragTarget) dragTarget->onDragLeave(context, drag, local);
    dragTarget = childAt(local);
    if (dragTarget) dragTarget->onDragEnter(context, drag, local);
}

void CViewContainer::onDragMove(CDrawContext* context, CDragContainer* drag, const CPoint& where)
{
    if (!parentFrame) return;
    CPoint local(where.x - size.left, where.y - size.top);
    OffsetShift shift(context, size.left, size.top);
    CView* under = childAt(local);
    if (under != dragTarget)
    {
        if (dragTarget) dragTarget->onDragLeave(context, drag, local);
        dragTarget = under;
        if (dragTarget) dragTarget->onDragEnter(context, drag, local);
    }
    else if (dragTarget)
    {
        dragTarget->onDragMove(context, drag, local);
    }
}

void CViewContainer::onDragLeave(CDrawContext* context, CDragContainer* drag, const CPoint& where)
{
    if (!parentFrame) return;
    CPoint local(where.x - size.left, where.y - size.top);
    OffsetShift shift(context, size.left, size.top);
    if (dragTarget) dragTarget->onDragLeave(context, drag, local);
    dragTarget = nullptr;
}

bool CViewContainer::onDrop(CDrawContext* context, CDragContainer* drag, const CPoint& where)
{
    if (!parentFrame) return false;
    CPoint local(where.x - size.left, where.y - size.top);
    OffsetShift shift(context, size.left, size.top);
    CView* under = childAt(local);
    if (under != dragTarget)
    {
        if (dragTarget) dragTarget->onDragLeave(context, drag, local);
        dragTarget = under;
    }
    bool result = false;
    if (dragTarget)
    {
        result = dragTarget->onDrop(context, drag, local);
        dragTarget->onDragLeave(context, drag, local);
    }
    dragTarget = nullptr;
    return result;
}

void CViewContainer::setViewSize(CRect& rect)
{
    CView::setViewSize(rect);
    if (offscreen && drawInOffscreen)
    {
        dropOffscreen();
        makeOffscreen();
    }
}

bool CViewContainer::removed(CView*)
{
    dropOffscreen();
    return true;
}

bool CViewContainer::attached(CView*)
{
    if (drawInOffscreen && !offscreen) makeOffscreen();
    return true;
}

CPoint& CViewContainer::frameToLocal(CPoint& point) const
{
    point.offset(-size.left, -size.top);
    if (parentView && parentView->isTypeOf("CViewContainer")) return parentView->frameToLocal(point);
    return point;
}

CPoint& CViewContainer::localToFrame(CPoint& point) const
{
    point.offset(size.left, size.top);
    if (parentView && parentView->isTypeOf("CViewContainer")) return parentView->localToFrame(point);
    return point;
}

long CViewContainer::notify(CView*, const char* message)
{
    // Identity, not text: only the shared constant itself makes a container answer.
    return message == kMsgCheckIfViewContainer ? 1 : 0;
}

bool CViewContainer::isTypeOf(const char* name) const
{
    return name && (std::strcmp(name, "CViewContainer") == 0 || CView::isTypeOf(name));
}

void CViewContainer::modifyDrawContext(long save[4], CDrawContext* context)
{
    save[0] = context->offsetScreen.x;
    save[1] = context->offsetScreen.y;
    save[2] = context->offset.x;
    save[3] = context->offset.y;
    context->offsetScreen.offset(size.left, size.top);
    context->offset.offset(size.left, size.top);
}

void CViewContainer::restoreDrawContext(CDrawContext* context, long save[4])
{
    context->offsetScreen.x = save[0];
    context->offsetScreen.y = save[1];
    context->offset.x = save[2];
    context->offset.y = save[3];
}

} // namespace VSTGUI
