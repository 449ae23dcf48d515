#include "app/qt/ChangeLogMenu.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstdio>

#include "app/logic/ChangeLogSetting.h"
#include "app/logic/QUORINPresenter.h"
#include "app/logic/WindowTexts.h"
#include "app/qt/AppIdentity.h"
#include "plan/ChangeLog.h"

namespace {

// The window names itself so in the log; a line it cannot write is said on stderr.
bool ApplyWindowChangeLog(bool bOn) {
  return CChangeLogSetting::Apply(bOn, "window", [](const std::string& sWarning) {
    std::fprintf(stderr, "kesto-manager: warning: %s\n", sWarning.c_str());
  });
}

void ConfirmUndo(CQUORINPresenter& presenter, QWidget* pParent, const CUndoLastChange& undo) {
  QMessageBox box(QMessageBox::Question, QString::fromLatin1(CWindowTexts::kCaption),
                  QString::fromStdString(undo.PreviewText()), QMessageBox::Cancel, pParent);
  box.setObjectName(QStringLiteral("undoPreview"));
  QPushButton* pSend = box.addButton(QStringLiteral("&Send back"), QMessageBox::AcceptRole);
  pSend->setObjectName(QStringLiteral("undoSend"));
  box.setDefaultButton(QMessageBox::Cancel);
  box.exec();
  if (box.clickedButton() == pSend) presenter.SendUndo(undo);
}

void ShowHistory(CQUORINPresenter& presenter, QWidget* pParent) {
  QDialog dialog(pParent);
  dialog.setObjectName(QStringLiteral("changeHistory"));
  dialog.setWindowTitle(QStringLiteral("Change history"));
  auto* pLayout = new QVBoxLayout(&dialog);
  auto* pText = new QPlainTextEdit(&dialog);
  pText->setReadOnly(true);
  pText->setLineWrapMode(QPlainTextEdit::NoWrap);
  std::vector<std::string> lines = presenter.GetHistoryForSelected();
  if (lines.empty()) lines.push_back("No change of this device is in the change log.");
  for (const std::string& sLine : lines) pText->appendPlainText(QString::fromStdString(sLine));
  pText->setMinimumSize(pText->fontMetrics().averageCharWidth() * 100, pText->fontMetrics().lineSpacing() * 12);
  pLayout->addWidget(pText);
  auto* pButtons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
  QObject::connect(pButtons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  pLayout->addWidget(pButtons);
  dialog.exec();
}

}  // namespace

void AddChangeLogActions(QMenu* pMenu, CQUORINPresenter& presenter, QWidget* pParent) {
  const CUndoLastChange undo = presenter.GetUndoForSelected();
  QAction* pUndo = pMenu->addAction(QStringLiteral("&Undo last change..."), pParent,
                                    [&presenter, pParent, undo] { ConfirmUndo(presenter, pParent, undo); });
  pUndo->setEnabled(undo.IsAvailable());
  pUndo->setToolTip(QString::fromStdString(undo.Reason()));
  pMenu->setToolTipsVisible(true);
  pMenu->addAction(QStringLiteral("Change &history..."), pParent, [&presenter, pParent] { ShowHistory(presenter, pParent); });
}

void StartChangeLogFromSettings() {
  ApplyWindowChangeLog(ApplicationSettings().value(QString::fromLatin1(CChangeLogSetting::kKey),
                                                   CChangeLogSetting::kDefault).toBool());
}

void AddChangeLogSwitch(QMenu* pMenu, QWidget* pParent, std::function<void(const std::string&)> fnStatus) {
  const std::string sPath = CChangeLog::DefaultPath();
  QAction* pSwitch = pMenu->addAction(QString::fromStdString(CChangeLogSetting::MenuText(sPath)));
  pSwitch->setObjectName(QStringLiteral("changeLogSwitch"));
  pSwitch->setCheckable(true);
  pSwitch->setChecked(CChangeLog::Process().IsOpen());
  pSwitch->setEnabled(!sPath.empty());
  pSwitch->setToolTip(QString::fromStdString(CChangeLogSetting::MenuTip(sPath)));
  pMenu->setToolTipsVisible(true);
  QObject::connect(pSwitch, &QAction::toggled, pParent, [fnStatus = std::move(fnStatus), sPath](bool bOn) {
    ApplicationSettings().setValue(QString::fromLatin1(CChangeLogSetting::kKey), bOn);
    ApplyWindowChangeLog(bOn);
    fnStatus(CChangeLogSetting::Switched(bOn, sPath));
  });
}
