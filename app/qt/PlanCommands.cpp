#include "app/qt/PlanCommands.h"

#include <QDateTime>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>

#include "app/qt/PlanPreviewDlg.h"
#include "app/logic/DeviceExport.h"
#include "app/logic/PlanPreviewTable.h"
#include "app/logic/QUORINPresenter.h"
#include "app/logic/WindowTexts.h"
#include "plan/DevicePlan.h"
#include "platform/WholeFile.h"

CPlanCommands::CPlanCommands(CQUORINPresenter& presenter, QWidget* pWindow, Report fnStatus, Report fnError)
    : QObject(pWindow),
      m_presenter(presenter),
      m_pWindow(pWindow),
      m_fnStatus(std::move(fnStatus)),
      m_fnError(std::move(fnError)) {}

void CPlanCommands::OnApplyPlan() {
  if (m_pPlanDialog == nullptr) {
    const QString sFilter = QStringLiteral("Plans and backups (*.csv *.json);;All files (*)");
    m_pPlanDialog = new QFileDialog(m_pWindow, QStringLiteral("Apply plan"), QString(), sFilter);
    m_pPlanDialog->setAcceptMode(QFileDialog::AcceptOpen);
    m_pPlanDialog->setFileMode(QFileDialog::ExistingFile);
    connect(m_pPlanDialog, &QFileDialog::fileSelected, this, [this](const QString& sPath) { OpenPlan(sPath); });
  }
  m_pPlanDialog->open();
}

bool CPlanCommands::OpenPlan(const QString& sPath) {
  // Through the platform's reader, as the command line reads plans: bounded, a
  // directory or device refused, and the system's own reason when it fails.
  std::string sBytes, sReason;
  const platform::FileReadResult result =
      sPath.isEmpty() ? platform::FileReadResult::kFailed
                      : platform::ReadWholeFile(QFile::encodeName(sPath).toStdString(), kMaxPlanBytes, nullptr,
                                                &sBytes, &sReason);
  if (result == platform::FileReadResult::kTooLarge) {
    m_fnError(QStringLiteral("The plan %1 is larger than %2 bytes; nothing was sent.").arg(sPath).arg(kMaxPlanBytes));
    return false;
  }
  if (result != platform::FileReadResult::kRead) {
    m_fnError(QStringLiteral("The plan %1 could not be read:\n%2")
                  .arg(sPath, sReason.empty() ? QStringLiteral("no file named") : QString::fromLocal8Bit(sReason.c_str())));
    return false;
  }
  const std::string_view bytes = sBytes;
  PlanPreview preview;
  std::vector<std::string> errors;
  if (!m_presenter.PreviewPlanText(bytes, &preview, &errors)) {
    m_fnError(QString::fromStdString(CPlanPreviewTable::RefusalText(QFileInfo(sPath).fileName().toStdString(), errors)));
    return false;
  }
  if (m_pPreview != nullptr) m_pPreview->deleteLater();
  m_pPreview = new CPlanPreviewDlg(QFileInfo(sPath).fileName(), std::move(preview), m_pWindow);
  connect(m_pPreview, &QDialog::accepted, this, [this] {
    std::string sError;
    // The preview showed any address problem and its button said "Send anyway".
    if (!m_presenter.StartPlan(m_pPreview->GetPreview(), &sError, true))
      m_fnError(QString::fromStdString(CWindowTexts::PlanNotSent(sError)));
  });
  m_pPreview->open();
  return true;
}

void CPlanCommands::OnBackup() {
  if (m_pBackupDialog == nullptr) {
    m_pBackupDialog = new QFileDialog(m_pWindow, QStringLiteral("Back up"), QString(),
                                      QStringLiteral("JSON files (*.json)"));
    m_pBackupDialog->setAcceptMode(QFileDialog::AcceptSave);
    m_pBackupDialog->setDefaultSuffix(QStringLiteral("json"));
    m_pBackupDialog->selectFile(QStringLiteral("kesto-backup.json"));
    connect(m_pBackupDialog, &QFileDialog::fileSelected, this, [this](const QString& sPath) { BackupTo(sPath); });
  }
  m_pBackupDialog->open();
}

bool CPlanCommands::BackupTo(const QString& sPath) {
  const size_t nDevices = m_presenter.ListedRecords().size();
  if (nDevices == 0) {
    m_fnError(QString::fromLatin1(CWindowTexts::kNothingToBackUp));
    return false;
  }
  const std::string sText =
      m_presenter.BackupText(QDateTime::currentDateTimeUtc().toString(Qt::ISODate).toStdString());
  std::string sReason;
  if (!WriteChosenFile(sPath.toStdString(), sText, &sReason)) {
    m_fnError(QString::fromStdString(CWindowTexts::NotWritten("The backup", sPath.toStdString(), sReason)));
    return false;
  }
  m_fnStatus(QString::fromStdString(CWindowTexts::BackedUp(nDevices, QFileInfo(sPath).fileName().toStdString())));
  return true;
}
