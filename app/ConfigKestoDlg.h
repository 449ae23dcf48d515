#ifndef KESTO_APP_CONFIGKESTODLG_H
#define KESTO_APP_CONFIGKESTODLG_H

#include <QDialog>
#include <functional>

class CConfigKestoModel;
class CIPAddressEdit;
class QComboBox;
class QLineEdit;
class QMessageBox;
class QPushButton;

// "Kesto Configuration": shows a CConfigKestoModel and forwards what the user
// changes to it. It never touches the network or the record.
class CConfigKestoDlg : public QDialog {
  Q_OBJECT

 public:
  CConfigKestoDlg(CConfigKestoModel& model, QWidget* pParent = nullptr);

  // Runs the dialog modally in the program's own polling loop, so that the
  // finder keeps being polled while it is open; true when confirmed.
  bool RunModal(const std::function<void()>& fnPass, const std::function<void(int)>& fnPause);

  CIPAddressEdit* GetAddressEdit(int iWhich) const { return m_pAddress[iWhich]; }
  QLineEdit* GetNameEdit() const { return m_pName; }
  QComboBox* GetTypeList() const { return m_pType; }
  QComboBox* GetProtocolList() const { return m_pProtocol; }
  QComboBox* GetBaudList() const { return m_pBaud; }
  QPushButton* GetSetButton() const { return m_pSet; }
  QPushButton* GetCancelButton() const { return m_pCancel; }
  // The explanation of a refused name, or null when none was shown.
  QMessageBox* GetNameMessage() const { return m_pNameMessage; }

 private:
  void OnSelchangeType(int iIndex);
  void OnSetConfiguration();
  void UpdatePassThrough();

  CConfigKestoModel& m_model;
  QPushButton* m_pSet;
  QPushButton* m_pCancel;
  CIPAddressEdit* m_pAddress[4];
  QComboBox* m_pType;
  QLineEdit* m_pName;
  QComboBox* m_pProtocol;
  QComboBox* m_pBaud;
  QMessageBox* m_pNameMessage = nullptr;
};

#endif
