#pragma once
// Drawing primitives the controls paint with. The render context wraps the
// native painter; it exists only while a window (or an image) is painted.
#include "toolkit/dui_string.h"
#include "toolkit/win_types.h"

namespace talmi {

class CPaintManagerUI;
class CRenderContext;
using HDC = CRenderContext*;

// One image description: either a bare file name or key='value' pairs.
struct TDrawInfo {
  CDuiString sDrawString;  // the description as written
  CDuiString sImageName;   // file (relative to the resource path) or res.xml image name
  CDuiString sResType;
  RECT rcDest{};           // in 96-DPI units, relative to the control; empty = whole control
  RECT rcSource{};         // in image pixels; empty = whole image
  RECT rcCorner{};         // 9-slice borders in image pixels
  DWORD dwMask = 0;        // colour key drawn transparent (alpha byte set = in use)
  BYTE uFade = 255;
  bool bHole = false;      // skip the centre of a 9-slice
  bool bTiledX = false;
  bool bTiledY = false;
  bool bHasDest = false;
  bool bHasSource = false;

  void Parse(const CDuiString& description);
};

class CRenderEngine {
 public:
  static void DrawColor(HDC hDC, const RECT& rc, DWORD color, int radius = 0);
  static void DrawBorder(HDC hDC, const RECT& rc, int size, DWORD color, int radius = 0);
  static void DrawLine(HDC hDC, const RECT& rc, int size, DWORD color);
  static void DrawEllipse(HDC hDC, const RECT& rc, DWORD fill, int borderSize = 0, DWORD border = 0);
  // Single or multi-line text with the manager's font fontId (-1 = default).
  static void DrawText(HDC hDC, CPaintManagerUI* pManager, const RECT& rc, const CDuiString& text,
                       DWORD color, int fontId, UINT style);
  static SIZE MeasureText(CPaintManagerUI* pManager, const CDuiString& text, int fontId, int width,
                          UINT style);
  // Draws an image description inside rcItem clipped to rcPaint; false when
  // the image cannot be loaded (nothing drawn).
  static bool DrawImageString(HDC hDC, CPaintManagerUI* pManager, const RECT& rcItem,
                              const RECT& rcPaint, const CDuiString& description);
  static bool DrawImageInfo(HDC hDC, CPaintManagerUI* pManager, const RECT& rcItem,
                            const RECT& rcPaint, const TDrawInfo& info);
  // Fills a saturation/brightness square for the colour palette.
  static void DrawHsbSquare(HDC hDC, const RECT& rc, int hue);
  static void DrawHueBar(HDC hDC, const RECT& rc);
  // Clipping of children to their container.
  static void PushClip(HDC hDC, const RECT& rc);
  static void PopClip(HDC hDC);
  // Image size in pixels, {0,0} when it cannot be loaded.
  static SIZE GetImageSize(CPaintManagerUI* pManager, const CDuiString& file);
  // Drops every cached image (skin reload, DPI reset).
  static void FlushImageCache();
};

}  // namespace talmi
