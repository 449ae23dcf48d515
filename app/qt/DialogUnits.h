#ifndef KESTO_APP_DIALOGUNITS_H
#define KESTO_APP_DIALOGUNITS_H

#include <QFont>
#include <QRect>
#include <QSize>

// Converts dialog units to pixels with a font's metrics: a horizontal unit is a
// quarter of the average character width, a vertical one an eighth of the
// font's height, so a layout scales with the user's font.
class CDialogUnits {
 public:
  // The application's default font, the one dialogs use.
  CDialogUnits();
  explicit CDialogUnits(const QFont& font);

  int X(int iUnits) const { return iUnits * m_iCharWidth / 4; }
  int Y(int iUnits) const { return iUnits * m_iCharHeight / 8; }
  QRect Rect(int x, int y, int cx, int cy) const { return QRect(X(x), Y(y), X(cx), Y(cy)); }
  QSize Size(int cx, int cy) const { return QSize(X(cx), Y(cy)); }

 private:
  int m_iCharWidth;
  int m_iCharHeight;
};

#endif
