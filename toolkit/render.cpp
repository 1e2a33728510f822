#include "toolkit/render.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QImageReader>
#include <QLinearGradient>
#include <QPainterPath>
#include <map>
#include <mutex>
#include <string>

#include "platform/debug_output.h"
#include "toolkit/attr_parse.h"
#include "toolkit/paint_manager.h"
#include "toolkit/qt_render_context.h"
#include "toolkit/resource_manager.h"

namespace talmi {
namespace {

// Images larger than this are refused: a crafted skin must not exhaust memory.
constexpr int kMaxImageSide = 8192;

QColor ToQColor(DWORD c) { return QColor(ColorRed(c), ColorGreen(c), ColorBlue(c), ColorAlpha(c)); }

QRect ToQRect(const RECT& r) { return QRect(r.left, r.top, RectWidth(r), RectHeight(r)); }

QPainter* P(HDC hDC) { return hDC ? hDC->painter() : nullptr; }

struct ImageCache {
  std::mutex lock;
  std::map<std::string, QImage> images;  // key: path + "|" + mask
  std::map<std::string, bool> reported;
};

ImageCache& Cache() {
  static ImageCache cache;
  return cache;
}

std::string ResolveImagePath(const CDuiString& name) {
  CDuiString mapped = CResourceManager::GetInstance()->GetImagePath(name);
  const CDuiString& file = mapped.IsEmpty() ? name : mapped;
  return JoinPath(CPaintManagerUI::GetResourcePath().view(), file.view());
}

// Null image when it cannot be loaded (reported once per file).
QImage LoadImage(const CDuiString& name, DWORD mask) {
  if (name.IsEmpty()) return {};
  const std::string path = ResolveImagePath(name);
  const std::string key = path + "|" + std::to_string(mask);
  ImageCache& cache = Cache();
  std::lock_guard<std::mutex> guard(cache.lock);
  auto it = cache.images.find(key);
  if (it != cache.images.end()) return it->second;
  QImage img;
  QImageReader reader(QString::fromStdString(path));
  const QSize declared = reader.size();
  const bool sane = declared.isValid() && declared.width() <= kMaxImageSide && declared.height() <= kMaxImageSide;
  if (!sane || !reader.read(&img) || img.isNull()) {
    if (!cache.reported[path]) DebugOutputF("CRenderEngine: cannot load image \"%s\"", path.c_str());
    cache.reported[path] = true;
    img = QImage();
  } else {
    img = img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (ColorAlpha(mask)) {
      QImage keyed = img.convertToFormat(QImage::Format_ARGB32);
      const QRgb keyRgb = qRgb(ColorRed(mask), ColorGreen(mask), ColorBlue(mask));
      for (int y = 0; y < keyed.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(keyed.scanLine(y));
        for (int x = 0; x < keyed.width(); ++x)
          if ((line[x] & 0x00FFFFFF) == (keyRgb & 0x00FFFFFF)) line[x] = 0;
      }
      img = keyed.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
  }
  cache.images[key] = img;
  return img;
}

QFont MakeFont(CPaintManagerUI* pm, int fontId) {
  TFontInfo info = pm ? pm->GetFontInfo(fontId) : TFontInfo{};
  QFont f;
  if (!info.sFontName.IsEmpty()) f.setFamily(QString::fromUtf8(info.sFontName.GetData()));
  int px = pm ? pm->ScaleValue(info.iSize) : info.iSize;
  f.setPixelSize(px > 0 ? px : 1);
  f.setBold(info.bBold);
  f.setUnderline(info.bUnderline);
  f.setItalic(info.bItalic);
  return f;
}

int QtAlign(UINT style) {
  int flags = 0;
  if (style & DT_CENTER) flags |= Qt::AlignHCenter;
  else if (style & DT_RIGHT) flags |= Qt::AlignRight;
  else flags |= Qt::AlignLeft;
  if (style & DT_VCENTER) flags |= Qt::AlignVCenter;
  else if (style & DT_BOTTOM) flags |= Qt::AlignBottom;
  else flags |= Qt::AlignTop;
  if (style & DT_WORDBREAK) flags |= Qt::TextWordWrap;
  else if (style & DT_SINGLELINE) flags |= Qt::TextSingleLine;
  return flags;
}

// Draws src of img into dst, tiled or stretched.
void Blit(QPainter* p, const QRect& dst, const QImage& img, const QRect& src, bool tileX, bool tileY) {
  if (dst.isEmpty() || src.isEmpty()) return;
  if (!tileX && !tileY) {
    p->drawImage(dst, img, src);
    return;
  }
  const QImage part = img.copy(src);
  const int stepX = tileX ? src.width() : dst.width();
  const int stepY = tileY ? src.height() : dst.height();
  p->save();
  p->setClipRect(dst, Qt::IntersectClip);
  for (int y = dst.top(); y < dst.top() + dst.height(); y += stepY)
    for (int x = dst.left(); x < dst.left() + dst.width(); x += stepX)
      p->drawImage(QRect(x, y, stepX, stepY), part);
  p->restore();
}

}  // namespace

void TDrawInfo::Parse(const CDuiString& description) {
  *this = TDrawInfo{};
  sDrawString = description;
  const std::string& s = description.str();
  if (s.find('=') == std::string::npos || s.find('\'') == std::string::npos) {
    sImageName = description;
    return;
  }
  ForEachAttribute(s, [this](std::string_view name, std::string_view value) {
    RECT rc{};
    DWORD c = 0;
    int i = 0;
    if (name == "file" || name == "res") sImageName = std::string(value);
    else if (name == "restype") sResType = std::string(value);
    else if (name == "dest") { if (ParseRect(value, rc)) { rcDest = rc; bHasDest = true; } }
    else if (name == "source") { if (ParseRect(value, rc)) { rcSource = rc; bHasSource = true; } }
    else if (name == "corner") { if (ParseRect(value, rc)) rcCorner = rc; }
    else if (name == "mask") { if (ParseColor(value, c)) dwMask = c | 0xFF000000u; }
    else if (name == "fade") { if (ParseInt(value, i)) uFade = static_cast<BYTE>(i < 0 ? 0 : i > 255 ? 255 : i); }
    else if (name == "hole") bHole = ParseBool(value);
    else if (name == "xtiled") bTiledX = ParseBool(value);
    else if (name == "ytiled") bTiledY = ParseBool(value);
  });
}

void CRenderEngine::DrawColor(HDC hDC, const RECT& rc, DWORD color, int radius) {
  QPainter* p = P(hDC);
  if (!p || IsRectEmpty(rc) || ColorAlpha(color) == 0) return;
  if (radius <= 0) {
    p->fillRect(ToQRect(rc), ToQColor(color));
    return;
  }
  p->save();
  p->setRenderHint(QPainter::Antialiasing, true);
  p->setPen(Qt::NoPen);
  p->setBrush(ToQColor(color));
  p->drawRoundedRect(QRectF(ToQRect(rc)), radius, radius);
  p->restore();
}

void CRenderEngine::DrawBorder(HDC hDC, const RECT& rc, int size, DWORD color, int radius) {
  QPainter* p = P(hDC);
  if (!p || size <= 0 || IsRectEmpty(rc) || ColorAlpha(color) == 0) return;
  p->save();
  p->setRenderHint(QPainter::Antialiasing, radius > 0);
  QPen pen(ToQColor(color));
  pen.setWidth(size);
  pen.setJoinStyle(Qt::MiterJoin);
  p->setPen(pen);
  p->setBrush(Qt::NoBrush);
  const double half = size / 2.0;
  QRectF r(rc.left + half, rc.top + half, RectWidth(rc) - size, RectHeight(rc) - size);
  if (radius > 0) p->drawRoundedRect(r, radius, radius);
  else p->drawRect(r);
  p->restore();
}

void CRenderEngine::DrawLine(HDC hDC, const RECT& rc, int size, DWORD color) {
  QPainter* p = P(hDC);
  if (!p || size <= 0) return;
  p->save();
  p->setRenderHint(QPainter::Antialiasing, true);
  QPen pen(ToQColor(color));
  pen.setWidth(size);
  pen.setCapStyle(Qt::RoundCap);
  p->setPen(pen);
  p->drawLine(rc.left, rc.top, rc.right, rc.bottom);
  p->restore();
}

void CRenderEngine::DrawEllipse(HDC hDC, const RECT& rc, DWORD fill, int borderSize, DWORD border) {
  QPainter* p = P(hDC);
  if (!p || IsRectEmpty(rc)) return;
  p->save();
  p->setRenderHint(QPainter::Antialiasing, true);
  if (borderSize > 0 && ColorAlpha(border)) {
    QPen pen(ToQColor(border));
    pen.setWidth(borderSize);
    p->setPen(pen);
  } else {
    p->setPen(Qt::NoPen);
  }
  p->setBrush(ColorAlpha(fill) ? QBrush(ToQColor(fill)) : QBrush(Qt::NoBrush));
  const double half = borderSize > 0 ? borderSize / 2.0 : 0;
  p->drawEllipse(QRectF(rc.left + half, rc.top + half, RectWidth(rc) - 2 * half, RectHeight(rc) - 2 * half));
  p->restore();
}

void CRenderEngine::DrawText(HDC hDC, CPaintManagerUI* pManager, const RECT& rc, const CDuiString& text,
                             DWORD color, int fontId, UINT style) {
  QPainter* p = P(hDC);
  if (!p || text.IsEmpty() || IsRectEmpty(rc)) return;
  p->save();
  QFont font = MakeFont(pManager, fontId);
  p->setFont(font);
  p->setPen(ToQColor(color ? color : 0xFFE6E8EE));
  QString s = QString::fromUtf8(text.GetData());
  QRect r = ToQRect(rc);
  if ((style & DT_END_ELLIPSIS) && !(style & DT_WORDBREAK))
    s = QFontMetrics(font).elidedText(s, Qt::ElideRight, r.width());
  p->drawText(r, QtAlign(style), s);
  p->restore();
}

SIZE CRenderEngine::MeasureText(CPaintManagerUI* pManager, const CDuiString& text, int fontId, int width,
                                UINT style) {
  if (text.IsEmpty()) return SIZE{};
  QFontMetrics fm(MakeFont(pManager, fontId));
  QRect r = fm.boundingRect(QRect(0, 0, width > 0 ? width : 9999, 9999), QtAlign(style) & ~Qt::AlignVCenter & ~Qt::AlignBottom,
                            QString::fromUtf8(text.GetData()));
  return SIZE{r.width(), r.height()};
}

bool CRenderEngine::DrawImageString(HDC hDC, CPaintManagerUI* pManager, const RECT& rcItem, const RECT& rcPaint,
                                    const CDuiString& description) {
  if (description.IsEmpty()) return false;
  TDrawInfo info;
  info.Parse(description);
  return DrawImageInfo(hDC, pManager, rcItem, rcPaint, info);
}

bool CRenderEngine::DrawImageInfo(HDC hDC, CPaintManagerUI* pManager, const RECT& rcItem, const RECT& rcPaint,
                                  const TDrawInfo& info) {
  QPainter* p = P(hDC);
  if (!p) return false;
  QImage img = LoadImage(info.sImageName, info.dwMask);
  if (img.isNull()) return false;
  auto scale = [pManager](int v) { return pManager ? pManager->ScaleValue(v) : v; };
  RECT dest = rcItem;
  if (info.bHasDest) {
    dest = RECT{rcItem.left + scale(info.rcDest.left), rcItem.top + scale(info.rcDest.top),
                rcItem.left + scale(info.rcDest.right), rcItem.top + scale(info.rcDest.bottom)};
    if (dest.right > rcItem.right) dest.right = rcItem.right;
    if (dest.bottom > rcItem.bottom) dest.bottom = rcItem.bottom;
  }
  RECT clip{};
  if (!IntersectRect(clip, dest, rcPaint)) return true;
  QRect src = info.bHasSource ? ToQRect(info.rcSource) : img.rect();
  src = src.intersected(img.rect());
  if (src.isEmpty()) return false;

  p->save();
  p->setClipRect(ToQRect(clip), Qt::IntersectClip);
  p->setOpacity(p->opacity() * info.uFade / 255.0);
  p->setRenderHint(QPainter::SmoothPixmapTransform, true);
  const RECT& c = info.rcCorner;
  const bool sliced = c.left || c.top || c.right || c.bottom;
  const QRect d = ToQRect(dest);
  if (!sliced) {
    Blit(p, d, img, src, info.bTiledX, info.bTiledY);
  } else {
    // Nine slices: corners keep their (scaled) size, edges and centre stretch.
    const int sl = c.left, st = c.top, sr = c.right, sb = c.bottom;
    const int dl = scale(sl), dt = scale(st), dr = scale(sr), db = scale(sb);
    const int sx[4] = {src.left(), src.left() + sl, src.left() + src.width() - sr, src.left() + src.width()};
    const int sy[4] = {src.top(), src.top() + st, src.top() + src.height() - sb, src.top() + src.height()};
    const int dx[4] = {d.left(), d.left() + dl, d.left() + d.width() - dr, d.left() + d.width()};
    const int dy[4] = {d.top(), d.top() + dt, d.top() + d.height() - db, d.top() + d.height()};
    for (int row = 0; row < 3; ++row)
      for (int col = 0; col < 3; ++col) {
        if (row == 1 && col == 1 && info.bHole) continue;
        QRect s(sx[col], sy[row], sx[col + 1] - sx[col], sy[row + 1] - sy[row]);
        QRect t(dx[col], dy[row], dx[col + 1] - dx[col], dy[row + 1] - dy[row]);
        bool centre = row == 1 && col == 1;
        Blit(p, t, img, s, centre && info.bTiledX, centre && info.bTiledY);
      }
  }
  p->restore();
  return true;
}

void CRenderEngine::DrawHsbSquare(HDC hDC, const RECT& rc, int hue) {
  QPainter* p = P(hDC);
  if (!p || IsRectEmpty(rc)) return;
  const QRect r = ToQRect(rc);
  QLinearGradient sat(r.topLeft(), r.topRight());
  sat.setColorAt(0, Qt::white);
  sat.setColorAt(1, QColor::fromHsv(((hue % 360) + 360) % 360, 255, 255));
  p->fillRect(r, sat);
  QLinearGradient bright(r.topLeft(), r.bottomLeft());
  bright.setColorAt(0, QColor(0, 0, 0, 0));
  bright.setColorAt(1, QColor(0, 0, 0, 255));
  p->fillRect(r, bright);
}

void CRenderEngine::DrawHueBar(HDC hDC, const RECT& rc) {
  QPainter* p = P(hDC);
  if (!p || IsRectEmpty(rc)) return;
  const QRect r = ToQRect(rc);
  QLinearGradient g(r.topLeft(), r.topRight());
  for (int i = 0; i <= 6; ++i) g.setColorAt(i / 6.0, QColor::fromHsv((i * 60) % 360, 255, 255));
  p->fillRect(r, g);
}

void CRenderEngine::PushClip(HDC hDC, const RECT& rc) {
  QPainter* p = P(hDC);
  if (!p) return;
  p->save();
  p->setClipRect(ToQRect(rc), Qt::IntersectClip);
}

void CRenderEngine::PopClip(HDC hDC) {
  if (QPainter* p = P(hDC)) p->restore();
}

SIZE CRenderEngine::GetImageSize(CPaintManagerUI*, const CDuiString& file) {
  QImage img = LoadImage(file, 0);
  return SIZE{img.width(), img.height()};
}

void CRenderEngine::FlushImageCache() {
  ImageCache& cache = Cache();
  std::lock_guard<std::mutex> guard(cache.lock);
  cache.images.clear();
  cache.reported.clear();
}

}  // namespace talmi
