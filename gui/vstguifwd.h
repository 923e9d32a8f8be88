// Forward declarations of the toolkit's classes, for headers that only pass pointers.
#pragma once

namespace VSTGUI
{

struct CPoint;
struct CRect;
struct CColor;
class CReferenceCounter;
class CDrawContext;
class COffscreenContext;
class CBitmap;
class CView;
class CViewContainer;
class CFrame;
class CDragContainer;
class Platform;
class PlatformWindow;
class PlatformWindowListener;
struct PixelBuffer;

} // namespace VSTGUI
