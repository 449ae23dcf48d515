#ifndef KESTO_APP_OCTETEDIT_H
#define KESTO_APP_OCTETEDIT_H

#include <QLineEdit>

// One field of the IP address editor: up to three digits, 0-255, blank counts 0.
// A typed "." or a third digit asks for the next field; a pasted dotted address is handed to
// the editor whole so that it can fill all four fields.
class COctetEdit : public QLineEdit {
  Q_OBJECT

 public:
  explicit COctetEdit(QWidget* pParent = nullptr);

  int value() const { return text().toInt(); }
  void setValue(int iValue) { setText(QString::number(iValue)); }

  // What a paste does with a text: a dotted address goes to addressPasted,
  // digits go into the field when they fit.
  void pasteText(const QString& sText);
  // Entered because the field before it filled up: a "." typed first is the
  // one the user meant for that move and is swallowed.
  void markEnteredByFill() { m_bEnteredByFill = true; }

 signals:
  void nextFieldRequested();
  void fieldFilled();
  void addressPasted(quint32 dwAddress);

 protected:
  void keyPressEvent(QKeyEvent* pEvent) override;
  void contextMenuEvent(QContextMenuEvent* pEvent) override;
  void focusOutEvent(QFocusEvent* pEvent) override;

 private:
  bool m_bEnteredByFill = false;
};

#endif
