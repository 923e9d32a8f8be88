// CFrame: the root of the view tree and its only link to the host's window.
// Routes platform events into the views, keeps the modal view and the focus, redraws dirty views on idle.
#include "gui/cframe.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "gui/cdrawcontext.h"
#include "plugin/aeffguieditor.h"
#include "plugin/audioeffectx.h"

namespace VSTGUI
{

namespace
{

bool contains(const CView* ancestor, const CView* view)
{
    for (const CView* v = view; v; v = v->getParentView())
        if (v == ancestor) return true;
    return false;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// CDragContainer

CDragContainer::CDragContainer(std::vector<Item> dragItems) : items(std::move(dragItems)) {}

long CDragContainer::getType(long index) const
{
    if (index < 0 || index >= getCount()) return kUnknown;
    return items[static_cast<size_t>(index)].type;
}

void* CDragContainer::first(long& size, long& type)
{
    position = 0;
    return next(size, type);
}

void* CDragContainer::next(long& size, long& type)
{
    if (position >= items.size())
    {
        size = 0;
        type = kUnknown;
        return nullptr;
    }
    Item& item = items[position++];
    size = static_cast<long>(item.data.size());
    type = item.type;
    return item.data.data();
}

// ---------------------------------------------------------------------------------------------
// CFrame

// Every entry point that may call out (to views, to the editor, through it to the host) runs
// inside a DispatchScope: a host may close the editor from anywhere in there, and the frame,
// its window and the contexts made on it must outlive the calls still on the stack.

CFrame::CFrame(const CRect& rect, void* parentWindow, AEffGUIEditor* guiEditor,
               std::unique_ptr<Platform> given)
    : CViewContainer(rect, nullptr), editor(guiEditor), systemWindow(parentWindow), platform(std::move(given))
{
    parentFrame = this;
    if (!platform) platform = createPlatform();
    if (!systemWindow || !platform) return;
    const long width = size.right - size.left;
    const long height = size.bottom - size.top;
    window = platform->createWindow(systemWindow, static_cast<int>(width), static_cast<int>(height), *this);
    if (!window) return;
    // The child window sits at the parent's origin, so the frame's own rectangle does too.
    size.offset(-size.left, -size.top);
    mouseableArea = size;
    setDropActive(true);
}

CFrame::~CFrame()
{
    release();
    for (CView* view : departedViews)
        view->forget();
    window.reset();
}

void CFrame::forget()
{
    // The owner let go in the middle of a dispatch: the views go now (a dragging control sees
    // it and stops), the frame and its window when the dispatch unwinds.
    const bool ownerGone = lifetime.isOwnersLastForget();
    CViewContainer::forget();
    if (ownerGone) release();
}

void CFrame::release()
{
    if (released) return;
    released = true;
    openFlag = false;
    keptInput.clear();
    if (modalView) removeView(modalView, false);
    modalView = nullptr;
    focusView = nullptr;
    setCursor(kCursorDefault);
    if (dropActive) setDropActive(false);
    // A view may be in the middle of a call (the one a closing host answered): it is removed
    // now, so that it stops, and destroyed with the frame, when nothing of it is on the stack.
    if (lifetime.isDispatching())
        for (ChildEntry* entry = firstChild; entry; entry = entry->next)
        {
            entry->view->remember();
            departedViews.push_back(entry->view);
        }
    // Children go while the frame is whole: their removal may still ask the frame.
    removeAll(true);
    setFrameContext(nullptr);
    // A drag cut short by a close never ends its edit itself; the host must not be left
    // holding the parameter as touched.
    std::vector<long> unfinished;
    unfinished.swap(openEdits);
    for (auto index = unfinished.rbegin(); index != unfinished.rend(); ++index)
        if (editor) editor->endEdit(static_cast<std::int32_t>(*index));
    editor = nullptr;
}

bool CFrame::isTypeOf(const char* name) const
{
    return name && (std::strcmp(name, "CFrame") == 0 || CViewContainer::isTypeOf(name));
}

AEffGUIEditor* CFrame::getEditor() const
{
    return editor;
}

bool CFrame::open(CPoint*)
{
    return false;
}
bool CFrame::close()
{
    return false;
}
bool CFrame::isOpen() const
{
    return openFlag;
}
void CFrame::setOpenFlag(bool val)
{
    openFlag = val;
}
bool CFrame::getOpenFlag() const
{
    return openFlag;
}
CView* CFrame::getModalView() const
{
    return modalView;
}
CView* CFrame::getFocusView() const
{
    return focusView;
}
bool CFrame::isDropActive() const
{
    return dropActive;
}
bool CFrame::updatesDisabled() const
{
    return updatesDisabledFlag;
}

bool CFrame::updatesDisabled(bool val)
{
    const bool previous = updatesDisabledFlag;
    updatesDisabledFlag = val;
    return previous;
}

uint32_t CFrame::getDoubleClickTime() const
{
    return platform ? platform->getDoubleClickTime() : 0;
}

long CFrame::getKnobMode() const
{
    return AEffGUIEditor::getKnobMode();
}
uint32_t CFrame::getTicks() const
{
    return editor ? editor->getTicks() : 0;
}

void CFrame::doIdleStuff()
{
    DispatchScope scope(*this);
    if (editor) editor->doIdleStuff();
}

void CFrame::beginEdit(long index)
{
    if (!editor) return;
    DispatchScope scope(*this);
    openEdits.push_back(index);
    editor->beginEdit(static_cast<std::int32_t>(index));
}

void CFrame::endEdit(long index)
{
    if (!editor) return;
    DispatchScope scope(*this);
    const auto open = std::find(openEdits.rbegin(), openEdits.rend(), index);
    if (open != openEdits.rend()) openEdits.erase(std::next(open).base());
    editor->endEdit(static_cast<std::int32_t>(index));
}

void CFrame::setFrameContext(CDrawContext* context)
{
    if (context) context->remember();
    if (frameContext) frameContext->forget();
    frameContext = context;
}

CDrawContext* CFrame::takeDrawContext()
{
    if (frameContext)
    {
        frameContext->remember();
        return frameContext;
    }
    // Without a window the context has no target: drawing through it does nothing.
    return new CDrawContext(this, window.get(), systemWindow);
}

void CFrame::draw(CDrawContext* context)
{
    firstDraw = false;
    CViewContainer::draw(context ? context : frameContext);
}

void CFrame::draw(CView* view)
{
    if (view && !isChild(view)) view = nullptr;
    CDrawContext* context = takeDrawContext();
    if (view)
        view->draw(context);
    else
        draw(context);
    context->forget();
}

void CFrame::drawRect(CDrawContext* context, const CRect& updateRect)
{
    firstDraw = false;
    CDrawContext* target = context ? context : takeDrawContext();
    CRect saved;
    target->getClipRect(saved);
    CRect clip(updateRect);
    clip.bound(saved);
    target->setClipRect(clip);
    if (updateRect.right - updateRect.left > 0 && updateRect.bottom - updateRect.top > 0)
        CViewContainer::drawRect(target, updateRect);
    target->setClipRect(saved);
    if (target != context) target->forget();
}

void CFrame::update(CDrawContext* context)
{
    if (!openFlag || updatesDisabledFlag) return;
    if (!context) context = frameContext;
    if (!context) return;
    if (dirty)
    {
        draw(context);
        dirty = false;
        return;
    }
    if (modalView && modalView->isDirty()) modalView->update(context);
    CRect saved;
    context->getClipRect(saved);
    for (ChildEntry* entry = firstChild; entry; entry = entry->next)
    {
        CRect clip;
        entry->view->getViewSize(clip);
        clip.bound(saved);
        context->setClipRect(clip);
        entry->view->update(context);
    }
    context->setClipRect(saved);
}

void CFrame::idle()
{
    DispatchScope scope(*this);
    // Linux hosts do not run our window's event loop: its queue is emptied here.
    drainWindowEvents();
    if (!openFlag || firstDraw || !isDirty()) return;
    CDrawContext* context = takeDrawContext();
    update(context);
    context->forget();
}

void CFrame::drainWindowEvents()
{
    if (!window || released) return;
    DispatchScope scope(*this);
    window->drainEvents();
}

void CFrame::mouse(CDrawContext* context, CPoint& where, long buttons)
{
    DispatchScope scope(*this);
    CDrawContext* target = context ? context : frameContext;
    if (focusView) setFocusView(nullptr);
    if (buttons == -1)
    {
        if (target)
            buttons = target->getMouseButtons();
        else
            buttons = window ? window->getMouseButtons() : 0;
    }
    ++mouseDepth;
    if (modalView)
    {
        if (modalView->hitTest(where, buttons)) modalView->mouse(target, where, buttons);
    }
    else
    {
        CViewContainer::mouse(target, where, buttons);
    }
    --mouseDepth;
    if (mouseDepth == 0) handleKeptInput();
}

void CFrame::handleKeptInput()
{
    // Each kept press is a click of its own: what comes during it is kept in turn and handled
    // by this same loop, after it.
    if (handlingKeptInput) return;
    handlingKeptInput = true;
    while (!keptInput.empty() && window && !released)
    {
        const KeptInput input = keptInput.front();
        keptInput.erase(keptInput.begin());
        CDrawContext* context = new CDrawContext(this, window.get(), systemWindow);
        CPoint where(input.where);
        if (input.press)
            mouse(context, where, input.buttons);
        else
            onWheel(context, where, input.axis, input.distance);
        context->forget();
    }
    handlingKeptInput = false;
}

long CFrame::onKeyDown(VstKeyCode& keyCode)
{
    DispatchScope scope(*this);
    long result = -1;
    if (focusView) result = focusView->onKeyDown(keyCode);
    if (result == -1 && modalView) result = modalView->onKeyDown(keyCode);
    if (result == -1 && keyCode.virt == kVstKeyTab)
        return advanceNextFocusView(focusView, (keyCode.modifier & kVstModifierShift) != 0) ? 1 : -1;
    return result;
}

long CFrame::onKeyUp(VstKeyCode& keyCode)
{
    DispatchScope scope(*this);
    long result = -1;
    if (focusView) result = focusView->onKeyUp(keyCode);
    if (result == -1 && modalView) result = modalView->onKeyUp(keyCode);
    return result;
}

bool CFrame::onWheel(CDrawContext* context, const CPoint& where, float distance)
{
    return onWheel(context, where, kVerticalWheel, distance);
}

bool CFrame::onWheel(CDrawContext* context, const CPoint& where, CMouseWheelAxis axis, float distance)
{
    DispatchScope scope(*this);
    CView* target = modalView ? modalView : getViewAt(where, false);
    if (!target) return false;
    CDrawContext* drawContext = context ? context : takeDrawContext();
    const bool result = target->onWheel(drawContext, where, axis, distance);
    if (drawContext != context) drawContext->forget();
    return result;
}

void CFrame::setViewSize(CRect& rect)
{
    setSize(rect.right - rect.left, rect.bottom - rect.top);
}

bool CFrame::setSize(long width, long height)
{
    if (!openFlag || width <= 0 || height <= 0) return false;
    if (width == size.right - size.left && height == size.bottom - size.top) return false;
    AudioEffectX* effect = editor ? dynamic_cast<AudioEffectX*>(editor->getEffect()) : nullptr;
    if (effect && effect->canHostDo(HostCanDos::canDoSizeWindow) &&
        effect->sizeWindow(static_cast<std::int32_t>(width), static_cast<std::int32_t>(height)))
    {
        size.right = size.left + static_cast<std::int32_t>(width);
        size.bottom = size.top + static_cast<std::int32_t>(height);
        if (window) window->resize(static_cast<int>(width), static_cast<int>(height));
        return true;
    }
    if (window) window->resizeWithHost(static_cast<int>(width), static_cast<int>(height));
    CRect rect(0, 0, width, height);
    CViewContainer::setViewSize(rect);
    return true;
}

bool CFrame::getSize(CRect* rect) const
{
    if (!rect) return false;
    *rect = size;
    return true;
}

bool CFrame::getSize(CRect& rect) const
{
    return getSize(&rect);
}

// The child window always sits at its parent's origin; it is not moved around.
bool CFrame::setPosition(long, long)
{
    return false;
}

bool CFrame::getPosition(long& x, long& y) const
{
    x = size.left;
    y = size.top;
    return true;
}

bool CFrame::setModalView(CView* view)
{
    if (view && modalView) return false;
    if (modalView) removeView(modalView, false);
    modalView = view;
    if (view) addView(view);
    return true;
}

void CFrame::setFocusView(CView* view)
{
    CView* old = focusView;
    focusView = view;
    if (view && view->wantsFocus()) view->setDirty(true);
    if (old)
    {
        old->looseFocus(nullptr);
        if (old->wantsFocus()) old->setDirty(true);
    }
}

void CFrame::forgetRemovedView(CView* view)
{
    if (!view) return;
    if (focusView && contains(view, focusView)) setFocusView(nullptr);
    if (modalView && contains(view, modalView)) modalView = nullptr;
}

bool CFrame::advanceNextFocusView(CView* oldFocus, bool reverse)
{
    if (modalView) return false;
    if (!oldFocus) oldFocus = focusView;
    if (!oldFocus) return CViewContainer::advanceNextFocusView(nullptr, reverse);
    if (isChild(oldFocus))
    {
        if (CViewContainer::advanceNextFocusView(oldFocus, reverse)) return true;
        setFocusView(nullptr);
        return false;
    }
    // A deeper focus: each enclosing container continues from the child the search came from.
    CView* from = oldFocus;
    CView* parent = oldFocus->getParentView();
    while (parent && parent->isTypeOf("CViewContainer"))
    {
        if (static_cast<CViewContainer*>(parent)->advanceNextFocusView(from, reverse)) return true;
        from = parent;
        parent = parent->getParentView();
    }
    return CViewContainer::advanceNextFocusView(oldFocus, reverse);
}

bool CFrame::getCurrentLocation(CPoint& where)
{
    if (!window) return false;
    where = window->getPointerPosition();
    return true;
}

CView* CFrame::getCurrentView() const
{
    if (modalView) return modalView;
    CPoint where;
    if (!const_cast<CFrame*>(this)->getCurrentLocation(where)) return nullptr;
    for (ChildEntry* entry = lastChild; entry; entry = entry->previous)
    {
        CRect area;
        entry->view->getMouseableArea(area);
        if (area.pointInsideInclusive(where)) return entry->view;
    }
    return nullptr;
}

void CFrame::setCursor(CCursorType type)
{
    if (window) window->setCursor(static_cast<int>(type));
}

bool CFrame::setDropActive(bool active)
{
    if (!active && !dropActive) return true;
    if (!window) return false;
    // Whatever was registered goes first; activating registers a fresh drop target.
    window->setDropActive(false);
    dropActive = false;
    if (!active) return true;
    if (!window->setDropActive(true)) return false;
    dropActive = true;
    return true;
}

void CFrame::invalidate(const CRect& rect)
{
    for (ChildEntry* entry = firstChild; entry; entry = entry->next)
    {
        CRect v;
        entry->view->getViewSize(v);
        if (rect.right >= v.left && rect.left <= v.right && rect.bottom >= v.top && rect.top <= v.bottom)
            entry->view->setDirty(true);
    }
}

// ---------------------------------------------------------------------------------------------
// Platform events

void CFrame::onPlatformPaint(const CRect& updateRect)
{
    if (!window || released) return;
    DispatchScope scope(*this);
    // The window's surface is the back buffer: draw into it, and the context copies it to the
    // screen once as it goes.
    CDrawContext* context = new CDrawContext(this, window.get(), systemWindow);
    drawRect(context, updateRect);
    context->forget();
}

namespace
{
// Wheel steps kept during one click: a wheel spun all through a long drag must not grow without end.
constexpr std::size_t kMaxKeptInput = 64;
} // namespace

void CFrame::onPlatformMouseDown(const CPoint& where)
{
    if (!window || released) return;
    // Declared before the context: the context flushes into the window as it goes.
    DispatchScope scope(*this);
    CDrawContext* context = new CDrawContext(this, window.get(), systemWindow);
    if (mouseDepth > 0)
    {
        // A control tracking the mouse pumps events; a second click must not start a nested
        // drag, nor be lost: one press waits for the click in progress, with its buttons as
        // they are now.
        const bool pressKept =
            std::any_of(keptInput.begin(), keptInput.end(), [](const KeptInput& k) { return k.press; });
        if (!pressKept && keptInput.size() < kMaxKeptInput)
            keptInput.push_back(KeptInput{true, where, context->getMouseButtons()});
        context->forget();
        return;
    }
    CPoint point(where);
    mouse(context, point, -1);
    context->forget();
}

void CFrame::onPlatformWheel(const CPoint& where, int axis, float distance)
{
    if (!window || released) return;
    const CMouseWheelAxis wheelAxis = axis == 0 ? kHorizontalWheel : kVerticalWheel;
    if (mouseDepth > 0)
    {
        if (keptInput.size() < kMaxKeptInput) keptInput.push_back(KeptInput{false, where, 0, wheelAxis, distance});
        return;
    }
    DispatchScope scope(*this);
    CDrawContext* context = new CDrawContext(this, window.get(), systemWindow);
    onWheel(context, where, wheelAxis, distance);
    context->forget();
}

bool CFrame::onPlatformDrag(PlatformDragPhase phase, const std::vector<PlatformDragItem>& items,
                            const CPoint& where)
{
    if (!window || released) return false;
    DispatchScope scope(*this);
    std::vector<CDragContainer::Item> dragItems;
    for (const PlatformDragItem& item : items)
        dragItems.push_back(CDragContainer::Item{item.type, item.data});
    auto* drag = new CDragContainer(std::move(dragItems));
    CDrawContext* context = new CDrawContext(this, window.get(), systemWindow);
    bool taken = false;
    switch (phase)
    {
    case PlatformDragPhase::Enter:
        onDragEnter(context, drag, where);
        break;
    case PlatformDragPhase::Move:
        onDragMove(context, drag, where);
        break;
    case PlatformDragPhase::Leave:
        onDragLeave(context, drag, where);
        break;
    case PlatformDragPhase::Drop:
        taken = onDrop(context, drag, where);
        break;
    }
    context->forget();
    drag->forget();
    return taken;
}

void CFrame::onPlatformDestroyed()
{
    if (released) return;
    setOpenFlag(false);
    systemWindow = nullptr;
}

} // namespace VSTGUI
