#include "app/qt/ProgramIcon.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

QIcon ProgramIcon() {
  static const QIcon icon = [] {
    QIcon result;
    QSvgRenderer renderer(QStringLiteral(":/icons/kesto.svg"));
    // Rendered here rather than by the SVG icon plugin, which may be missing.
    for (int iSize : {16, 24, 32, 48, 64, 128, 256}) {
      QPixmap pixmap(iSize, iSize);
      pixmap.fill(Qt::transparent);
      QPainter painter(&pixmap);
      renderer.render(&painter);
      painter.end();
      result.addPixmap(pixmap);
    }
    return result;
  }();
  return icon;
}
