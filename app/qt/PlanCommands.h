#ifndef KESTO_APP_PLANCOMMANDS_H
#define KESTO_APP_PLANCOMMANDS_H

#include <QObject>
#include <QString>
#include <functional>
#include <string>

class CPlanPreviewDlg;
class CQUORINPresenter;
class QFileDialog;
class QWidget;

// The window's "Apply plan..." and "Back up...": the file dialogs and the
// preview around the presenter's plan commands. Every dialog is window-modal
// and not waited for, so the list keeps polling behind it.
class CPlanCommands : public QObject {
  Q_OBJECT

 public:
  using Report = std::function<void(const QString&)>;
  // fnStatus adds a status line entry, fnError shows a message box.
  CPlanCommands(CQUORINPresenter& presenter, QWidget* pWindow, Report fnStatus, Report fnError);

  void OnApplyPlan();
  void OnBackup();
  // Reads a plan or backup file and opens its preview; false (with the error shown) when refused.
  bool OpenPlan(const QString& sPath);
  // Writes every listed device's record; false (with the error shown) when it could not be written.
  bool BackupTo(const QString& sPath);

  QFileDialog* GetPlanDialog() const { return m_pPlanDialog; }
  QFileDialog* GetBackupDialog() const { return m_pBackupDialog; }
  CPlanPreviewDlg* GetPreviewDialog() const { return m_pPreview; }

 private:
  CQUORINPresenter& m_presenter;
  QWidget* m_pWindow;
  Report m_fnStatus;
  Report m_fnError;
  QFileDialog* m_pPlanDialog = nullptr;
  QFileDialog* m_pBackupDialog = nullptr;
  CPlanPreviewDlg* m_pPreview = nullptr;
};

#endif
