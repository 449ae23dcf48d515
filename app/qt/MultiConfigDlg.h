#ifndef KESTO_APP_MULTICONFIGDLG_H
#define KESTO_APP_MULTICONFIGDLG_H

#include <QDialog>
#include <functional>

class CMultiConfigForm;
class CPlanPreviewList;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// "Basic Config..." for several devices: the fields of the configuration
// dialog, each blank unless the user fills it in, and the resulting plan shown
// device by device as it is typed. It shows a CMultiConfigForm and forwards
// input to it; nothing is sent from here.
class CMultiConfigDlg : public QDialog {
  Q_OBJECT

 public:
  CMultiConfigDlg(CMultiConfigForm& form, QWidget* pParent = nullptr);

  // Runs modally in the program's polling loop, as the configuration dialog does; true when applied.
  bool RunModal(const std::function<void()>& fnPass, const std::function<void(int)>& fnPause);

  QLineEdit* GetNameEdit() const { return m_pName; }
  QLineEdit* GetFirstIPEdit() const { return m_pFirstIP; }
  QLineEdit* GetLastIPEdit() const { return m_pLastIP; }
  QLineEdit* GetNetMaskEdit() const { return m_pNetMask; }
  QComboBox* GetTypeList() const { return m_pType; }
  CPlanPreviewList* GetPreviewList() const { return m_pPreview; }
  QLabel* GetProblemLabel() const { return m_pProblem; }
  QPushButton* GetApplyButton() const { return m_pApply; }
  QPushButton* GetSendAnywayButton() const { return m_pSendAnyway; }

 private:
  void OnEdited();

  CMultiConfigForm& m_form;
  QLineEdit* m_pName;
  QLineEdit* m_pFirstIP;
  QLineEdit* m_pLastIP;
  QLineEdit* m_pNetMask;
  QLineEdit* m_pGateway;
  QLineEdit* m_pDNS;
  QComboBox* m_pType;
  QComboBox* m_pProtocol;
  QComboBox* m_pBaud;
  CPlanPreviewList* m_pPreview;
  QLabel* m_pProblem;
  QPushButton* m_pApply;
  QPushButton* m_pSendAnyway;  // shown only when the address rule alone refuses the plan
};

#endif
