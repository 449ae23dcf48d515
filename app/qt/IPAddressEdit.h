#ifndef KESTO_APP_IPADDRESSEDIT_H
#define KESTO_APP_IPADDRESSEDIT_H

#include <QFrame>
#include <array>

class COctetEdit;

// An IPv4 address editor of four octet fields. Its value has the first octet in
// the high byte, the same encoding as the device record's address fields.
// It is one stop in the Tab chain, like a single edit box.
class CIPAddressEdit : public QFrame {
  Q_OBJECT

 public:
  explicit CIPAddressEdit(QWidget* pParent = nullptr);

  // Blank fields count as 0.
  quint32 address() const;
  void setAddress(quint32 dwAddress);

  COctetEdit* field(int iIndex) const { return m_fields[iIndex]; }

 private:
  void FocusField(int iIndex);

  std::array<COctetEdit*, 4> m_fields{};
};

#endif
