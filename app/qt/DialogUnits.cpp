#include "app/qt/DialogUnits.h"

#include <QApplication>
#include <QFontMetrics>

CDialogUnits::CDialogUnits() : CDialogUnits(QApplication::font()) {}

CDialogUnits::CDialogUnits(const QFont& font) {
  const QFontMetrics metrics(font);
  m_iCharWidth = metrics.averageCharWidth();
  m_iCharHeight = metrics.height();
}
