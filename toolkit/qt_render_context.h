#pragma once
// Toolkit-internal: the render context is a painter on a window or image.
#include <QPainter>
#include <vector>

namespace talmi {

class CRenderContext {
 public:
  explicit CRenderContext(QPainter* painter) : m_painter(painter) {}
  QPainter* painter() const { return m_painter; }

 private:
  QPainter* m_painter;
};

}  // namespace talmi
