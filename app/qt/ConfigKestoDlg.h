#ifndef KESTO_APP_CONFIGKESTODLG_H
#define KESTO_APP_CONFIGKESTODLG_H

#include <QDialog>
#include <functional>
#include <vector>

#include "app/logic/ConfigAddressCheck.h"

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
  // The other listed devices, whose addresses the check before sending knows.
  void SetOtherDevices(std::vector<CConfigAddressCheck::OtherDevice> others) { m_others = std::move(others); }
  // The explanation of a failed check, open over the dialog, or null.
  QMessageBox* GetCheckMessage() const { return m_pCheckMessage; }

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
  // Hands the shown values to the model and closes with the confirm result.
  void Confirm();
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
  std::vector<CConfigAddressCheck::OtherDevice> m_others;
  QMessageBox* m_pCheckMessage = nullptr;
};

#endif
