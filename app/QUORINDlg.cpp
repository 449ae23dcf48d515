#include "app/QUORINDlg.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHelpEvent>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QSaveFile>
#include <QSettings>
#include <QStyle>
#include <QToolButton>
#include <QToolTip>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <cstring>

#include "app/ConfigKestoDlg.h"
#include "app/DialogUnits.h"
#include "app/MultiConfigDlg.h"
#include "app/PlanCommands.h"
#include "app/ProgramIcon.h"
#include "app/logic/ConfigAddressCheck.h"
#include "app/logic/DeviceColumnSet.h"
#include "app/logic/DeviceExport.h"
#include "app/logic/DeviceListState.h"
#include "app/logic/PollingLoop.h"
#include "formats/DeviceCsv.h"
#include "version/KestoVersion.h"

// One row of the list: what the presenter said about it plus the record the
// extra columns, the sort key and the copy commands are drawn from.
class CDeviceItem : public QTreeWidgetItem {
 public:
  DeviceRowKey key = 0;
  uint64_t nSeq = 0;  // arrival order; the newest row has the highest
  KESTO_RECORD record{};
  bool bShown = true;
  bool bWarning = false;
  std::string sSortKey;
};

namespace {

// Every text the presenter hands over is UTF-8, device texts escaped by it already.
QString Local(const std::string& s) { return QString::fromUtf8(s.c_str()); }

// The list's settings live beside the program's other per-user files.
QSettings Settings() { return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Kesto"),
                                        QStringLiteral("kesto-manager")); }

void MacOfKey(DeviceRowKey key, uint8_t byMAC[6]) {
  for (int i = 5; i >= 0; --i, key >>= 8) byMAC[i] = static_cast<uint8_t>(key & 0xFF);
}

// The starting window, in dialog units: the old fixed dialog's size.
constexpr int kWindowWidth = 387;
constexpr int kWindowHeight = 145;

}  // namespace

CQUORINDlg::CQUORINDlg(std::unique_ptr<CKestoFinder> finder, QWidget* pParent)
    : QWidget(pParent, Qt::Window),
      m_finder(std::move(finder)),
      m_pFilter(new QLineEdit(this)),
      m_pAdapterLabel(new QLabel(QStringLiteral("&Adapter:"), this)),
      m_pAdapter(new QComboBox(this)),
      m_pTargets(new QToolButton(this)),
      m_pExport(new QPushButton(QStringLiteral("E&xport..."), this)),
      m_pApplyPlan(new QPushButton(QStringLiteral("Apply &plan..."), this)),
      m_pBackup(new QPushButton(QStringLiteral("Back &up..."), this)),
      m_ctlList(new QTreeWidget(this)),
      m_pEmpty(new QLabel(m_ctlList->viewport())),
      m_pBasicConfig(new QPushButton(QStringLiteral("&Basic Config..."), this)),
      m_pLaunch(new QPushButton(QStringLiteral("&Lauch Configurator..."), this)),
      m_pNewestFirst(new QPushButton(QStringLiteral("&Newest first"), this)),
      m_pAbout(new QPushButton(QStringLiteral("About..."), this)),
      m_pStatus(new QLabel(this)),
      m_pCount(new QLabel(this)),
      m_presenter(
          *m_finder, *this, [this](CConfigKestoModel& model) { return RunConfigDialog(model); },
          [](const std::string& sUrl) { QDesktopServices::openUrl(QUrl(QString::fromStdString(sUrl))); }),
      m_pPlanCommands(new CPlanCommands(
          m_presenter, this, [this](const QString& sText) { AddStatus(sText.toStdString()); },
          [this](const QString& sText) { ShowError(sText); })) {
  m_presenter.SetMultiConfigDialog([this](CMultiConfigForm& form) { return RunMultiConfigDialog(form); });
  setWindowTitle(QStringLiteral("Tamrel Kesto Manager"));
  setWindowIcon(ProgramIcon());
  BuildLayout();
  SetUpColumns();

  m_pFilter->setPlaceholderText(QStringLiteral("Filter"));
  m_pFilter->setClearButtonEnabled(true);
  m_pFilter->setToolTip(QStringLiteral("Shows only the devices whose name, MAC, IP address or version holds this text"));
  m_pAdapterLabel->setBuddy(m_pAdapter);
  m_pAdapter->addItem(QStringLiteral("All adapters"), QString());
  m_pAdapter->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  m_pTargets->setText(QStringLiteral("&Targets"));
  m_pTargets->setPopupMode(QToolButton::InstantPopup);
  m_pTargets->setFocusPolicy(Qt::StrongFocus);
  auto* pMenu = new QMenu(m_pTargets);
  // Rebuilt each time it opens, never from one of its own actions.
  connect(pMenu, &QMenu::aboutToShow, this, [this] { FillTargetsMenu(); });
  m_pTargets->setMenu(pMenu);
  FillTargetsMenu();
  // One explicit host (KESTO_TARGET) stays the only destination.
  if (!m_presenter.CanChooseDestinations()) {
    for (QWidget* pWidget : {static_cast<QWidget*>(m_pAdapter), static_cast<QWidget*>(m_pTargets)}) {
      pWidget->setEnabled(false);
      pWidget->setToolTip(QStringLiteral("Probing one host only (KESTO_TARGET)"));
    }
  }
  m_pStatus->setTextFormat(Qt::PlainText);
  m_pStatus->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(m_pStatus, &QLabel::customContextMenuRequested, this, [this](const QPoint& pos) {
    std::unique_ptr<QMenu> menu(CreateStatusMenu());
    menu->exec(m_pStatus->mapToGlobal(pos));
  });
  m_pEmpty->setAlignment(Qt::AlignCenter);
  m_pEmpty->setWordWrap(true);
  m_pEmpty->setTextFormat(Qt::PlainText);
  m_pEmpty->setForegroundRole(QPalette::PlaceholderText);
  m_pEmpty->setAttribute(Qt::WA_TransparentForMouseEvents);

  // Enter means nothing on the buttons: no button is the default.
  for (QPushButton* pButton : {m_pBasicConfig, m_pLaunch, m_pExport, m_pApplyPlan, m_pBackup, m_pNewestFirst, m_pAbout}) {
    pButton->setAutoDefault(false);
    pButton->setDefault(false);
  }
  m_pNewestFirst->setToolTip(QStringLiteral("Lists the newest device first, the order before any sort"));
  setTabOrder(m_pFilter, m_ctlList);
  setTabOrder(m_ctlList, m_pBasicConfig);
  setTabOrder(m_pBasicConfig, m_pLaunch);
  setTabOrder(m_pLaunch, m_pNewestFirst);
  setTabOrder(m_pNewestFirst, m_pAbout);
  setTabOrder(m_pAbout, m_pAdapter);
  setTabOrder(m_pAdapter, m_pTargets);
  setTabOrder(m_pTargets, m_pExport);
  setTabOrder(m_pExport, m_pApplyPlan);
  setTabOrder(m_pApplyPlan, m_pBackup);
  m_pApplyPlan->setToolTip(QStringLiteral("Opens a plan (CSV or JSON, as kesto apply reads it) or a backup, shows what "
                                          "it would change on each device, and applies it when you confirm"));
  m_pBackup->setToolTip(QStringLiteral("Writes every listed device's settings to a JSON file, to apply again later"));
  connect(m_pApplyPlan, &QPushButton::clicked, this, [this] { m_pPlanCommands->OnApplyPlan(); });
  connect(m_pBackup, &QPushButton::clicked, this, [this] { m_pPlanCommands->OnBackup(); });

  connect(m_pBasicConfig, &QPushButton::clicked, this, [this] { m_presenter.OnBasicConfig(); });
  connect(m_pLaunch, &QPushButton::clicked, this, [this] { m_presenter.OnLaunchConfigurator(); });
  connect(m_pAbout, &QPushButton::clicked, this, [this] { OnAbout(); });
  connect(m_pNewestFirst, &QPushButton::clicked, this, [this] {
    CDeviceSortOrder order;
    SetSortOrder(order);
  });
  connect(m_pFilter, &QLineEdit::textChanged, this, [this](const QString& sText) {
    m_presenter.SetFilterText(sText.toUtf8().toStdString());
    UpdateState();
  });
  connect(m_pExport, &QPushButton::clicked, this, [this] { OnExport(); });
  connect(m_pAdapter, &QComboBox::activated, this,
          [this](int iIndex) { m_presenter.SelectAdapter(m_pAdapter->itemData(iIndex).toString().toStdString()); });
  connect(m_ctlList, &QTreeWidget::itemSelectionChanged, this, [this] { UpdateCommands(); });
  connect(m_ctlList, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* pItem) {
    if (pItem != nullptr && pItem->isSelected()) m_presenter.OnBasicConfig();
  });

  LoadSettings();
  UpdateState();
  UpdateCommands();
  m_pFilter->setFocus(Qt::OtherFocusReason);
}

CQUORINDlg::~CQUORINDlg() { SaveSettings(); }

void CQUORINDlg::BuildLayout() {
  const CDialogUnits du;
  auto* pTop = new QHBoxLayout;
  pTop->addWidget(m_pFilter, 1);
  pTop->addSpacing(du.X(4));
  pTop->addWidget(m_pAdapterLabel);
  pTop->addWidget(m_pAdapter);
  pTop->addWidget(m_pTargets);
  pTop->addWidget(m_pExport);
  pTop->addWidget(m_pApplyPlan);
  pTop->addWidget(m_pBackup);

  auto* pButtons = new QHBoxLayout;
  pButtons->addWidget(m_pBasicConfig);
  pButtons->addWidget(m_pLaunch);
  pButtons->addStretch(1);
  pButtons->addWidget(m_pNewestFirst);
  pButtons->addWidget(m_pAbout);

  auto* pStatus = new QHBoxLayout;
  pStatus->addWidget(m_pStatus, 1);
  pStatus->addWidget(m_pCount);
  m_pStatus->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

  auto* pLayout = new QVBoxLayout(this);
  pLayout->setContentsMargins(du.X(4), du.Y(4), du.X(4), du.Y(2));
  pLayout->setSpacing(du.Y(3));
  pLayout->addLayout(pTop);
  pLayout->addWidget(m_ctlList, 1);
  pLayout->addLayout(pButtons);
  pLayout->addLayout(pStatus);
  resize(du.Size(kWindowWidth, kWindowHeight));
}

void CQUORINDlg::SetUpColumns() {
  m_ctlList->setColumnCount(CDeviceColumnSet::kCount);
  QStringList titles;
  for (int i = 0; i < CDeviceColumnSet::kCount; ++i) titles << QString::fromLatin1(CDeviceColumnSet::Get(i).pszTitle);
  m_ctlList->setHeaderLabels(titles);
  QHeaderView* pHeader = m_ctlList->header();
  // The last shown column takes what room is left, so no blank band stands beside the columns.
  pHeader->setStretchLastSection(true);
  pHeader->setSectionsMovable(false);
  pHeader->setSectionsClickable(true);
  pHeader->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  pHeader->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(pHeader, &QHeaderView::sectionClicked, this, [this](int iColumn) { OnHeaderClicked(iColumn); });
  connect(pHeader, &QHeaderView::customContextMenuRequested, this, [this, pHeader](const QPoint& pos) {
    std::unique_ptr<QMenu> menu(CreateHeaderMenu());
    menu->exec(pHeader->mapToGlobal(pos));
  });
  // Widths start at the old ones but never cut a column's widest value or its title.
  const QFontMetrics metrics(m_ctlList->font());
  const int iMargin = 2 * (m_ctlList->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_ctlList) + 1) + 6;
  QChar cWidestDigit = u'0', cWidestHex = u'0';
  for (QChar c : QStringLiteral("0123456789ABCDEF")) {
    if (c.isDigit() && metrics.horizontalAdvance(c) > metrics.horizontalAdvance(cWidestDigit)) cWidestDigit = c;
    if (metrics.horizontalAdvance(c) > metrics.horizontalAdvance(cWidestHex)) cWidestHex = c;
  }
  for (int i = 0; i < CDeviceColumnSet::kCount; ++i) {
    const CDeviceColumnSet::Column& column = CDeviceColumnSet::Get(i);
    QString sSample = QString::fromLatin1(column.pszSample);
    for (QChar& c : sSample) {
      if (c.isDigit()) c = cWidestDigit;
      if (c == u'D') c = cWidestHex;
    }
    // The first column also holds the mark icon; its text keeps the old width beside it.
    const int iIcon = i == 0 ? m_ctlList->iconSize().width() + 4 : 0;
    const int iWidth = std::max({column.iWidth + iIcon, metrics.horizontalAdvance(sSample) + iMargin,
                                 // the title, with room for the sort arrow beside it
                                 QFontMetrics(pHeader->font()).horizontalAdvance(QString::fromLatin1(column.pszTitle)) +
                                     iMargin + pHeader->style()->pixelMetric(QStyle::PM_HeaderMarkSize) + 8});
    m_ctlList->setColumnWidth(i, iWidth);
    m_ctlList->setColumnHidden(i, !column.bDefault);
  }
  m_ctlList->setRootIsDecorated(false);
  m_ctlList->setItemsExpandable(false);
  m_ctlList->setUniformRowHeights(true);
  m_ctlList->setSortingEnabled(false);  // the window places rows itself, so newest first stays possible
  m_ctlList->setAllColumnsShowFocus(true);
  m_ctlList->setSelectionMode(QAbstractItemView::ExtendedSelection);
  m_ctlList->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_ctlList->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(m_ctlList, &QTreeWidget::customContextMenuRequested, this, [this](const QPoint& pos) { OnRowMenu(pos); });
  m_ctlList->installEventFilter(this);
  m_ctlList->viewport()->installEventFilter(this);
  ShowSortIndicator();
}

void CQUORINDlg::LoadSettings() {
  QSettings settings = Settings();
  if (settings.contains(QStringLiteral("window/geometry")))
    restoreGeometry(settings.value(QStringLiteral("window/geometry")).toByteArray());
  const QStringList widths = settings.value(QStringLiteral("list/widths")).toStringList();
  for (int i = 0; i < std::min<int>(widths.size(), CDeviceColumnSet::kCount); ++i) {
    const int iWidth = widths[i].toInt();
    if (iWidth >= 10 && iWidth <= 2000) m_ctlList->setColumnWidth(i, iWidth);
  }
  const QStringList shown = settings.value(QStringLiteral("list/extraColumns")).toStringList();
  for (int i = CDeviceColumnSet::kDefaultCount; i < CDeviceColumnSet::kCount; ++i)
    if (shown.contains(QString::fromLatin1(CDeviceColumnSet::Get(i).pszTitle))) m_ctlList->setColumnHidden(i, false);
  CDeviceSortOrder order;
  if (order.FromText(settings.value(QStringLiteral("list/order")).toString().toStdString(), CDeviceColumnSet::kCount))
    SetSortOrder(order);
}

void CQUORINDlg::SaveSettings() const {
  QSettings settings = Settings();
  settings.setValue(QStringLiteral("window/geometry"), saveGeometry());
  QStringList widths, shown;
  for (int i = 0; i < CDeviceColumnSet::kCount; ++i) {
    // A hidden column reports no width; keep the one it will show with.
    const int iWidth = m_ctlList->isColumnHidden(i) ? m_ctlList->header()->sectionSize(i) : m_ctlList->columnWidth(i);
    widths << QString::number(iWidth > 0 ? iWidth : CDeviceColumnSet::Get(i).iWidth);
    if (i >= CDeviceColumnSet::kDefaultCount && !m_ctlList->isColumnHidden(i))
      shown << QString::fromLatin1(CDeviceColumnSet::Get(i).pszTitle);
  }
  settings.setValue(QStringLiteral("list/widths"), widths);
  settings.setValue(QStringLiteral("list/extraColumns"), shown);
  settings.setValue(QStringLiteral("list/order"), QString::fromStdString(m_order.ToText()));
}

void CQUORINDlg::PollDevices() {
  m_presenter.PollDevices();
  const uint32_t dwNow = m_finder->Now();
  if (!m_ctlList->isColumnHidden(CDeviceColumnSet::kLastSeen) && static_cast<uint32_t>(dwNow - m_dwLastSeenShown) >= 500)
    RefreshLastSeen(dwNow);
  // The table changes every few seconds at most; its version says when without a comparison.
  if (m_finder->GetInterfaceSnapshot().GetVersion() != m_qwAdapterTableVersion) UpdateAdapterTexts();
  UpdateState();
}

void CQUORINDlg::PauseForAnswer(int iMs) { CPollingLoop::PauseForAnswer(*m_finder, iMs); }

void CQUORINDlg::ReportSocketProblem() {
  if (m_finder->IsSocketOpen() || m_pSocketMessage != nullptr) return;
  // Window-modal and not waited for, so the loop keeps turning behind it.
  m_pSocketMessage = new QMessageBox(QMessageBox::Warning, windowTitle(),
                                     QStringLiteral("The network socket for finding devices could not be opened:\n%1\n\n"
                                                    "No devices will be listed.")
                                         .arg(Local(m_finder->GetSocketError())),
                                     QMessageBox::Ok, this);
  m_pSocketMessage->open();
}

void CQUORINDlg::closeEvent(QCloseEvent* pEvent) {
  // The start-up loop ends the program when it sees the flag.
  m_bQuit = true;
  pEvent->ignore();
}

void CQUORINDlg::keyPressEvent(QKeyEvent* pEvent) {
  // Esc does not close the main window, and Enter outside the list does nothing.
  switch (pEvent->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
      pEvent->accept();
      return;
    default:
      QWidget::keyPressEvent(pEvent);
  }
}

bool CQUORINDlg::eventFilter(QObject* pObject, QEvent* pEvent) {
  if (pObject == m_ctlList) {
    if (pEvent->type() == QEvent::KeyPress) {
      auto* pKey = static_cast<QKeyEvent*>(pEvent);
      if (pKey->key() == Qt::Key_Return || pKey->key() == Qt::Key_Enter) {
        m_presenter.OnBasicConfig();
        return true;
      }
      if (pKey->matches(QKeySequence::Copy)) {
        CopySelectedRows();
        return true;
      }
    } else if (pEvent->type() == QEvent::FocusIn && m_ctlList->selectedItems().isEmpty()) {
      // Arriving by Tab on a list without a selection selects its first shown row.
      for (int i = 0; i < m_ctlList->topLevelItemCount(); ++i) {
        QTreeWidgetItem* pItem = m_ctlList->topLevelItem(i);
        if (pItem->isHidden()) continue;
        m_ctlList->setCurrentItem(pItem);
        pItem->setSelected(true);
        break;
      }
    }
  } else if (pObject == m_ctlList->viewport()) {
    if (pEvent->type() == QEvent::Resize) {
      m_pEmpty->setGeometry(m_ctlList->viewport()->rect().adjusted(8, 8, -8, -8));
    } else if (pEvent->type() == QEvent::ToolTip) {
      auto* pHelp = static_cast<QHelpEvent*>(pEvent);
      QTreeWidgetItem* pItem = m_ctlList->itemAt(pHelp->pos());
      const int iColumn = m_ctlList->columnAt(pHelp->pos().x());
      const QString sText = pItem != nullptr && iColumn >= 0 ? CellToolTip(pItem, iColumn) : QString();
      if (sText.isEmpty())
        QToolTip::hideText();
      else
        QToolTip::showText(pHelp->globalPos(), sText, m_ctlList->viewport(), m_ctlList->visualItemRect(pItem));
      return true;
    }
  }
  return QWidget::eventFilter(pObject, pEvent);
}

QString CQUORINDlg::CellToolTip(QTreeWidgetItem* pItem, int iColumn) const {
  // The marks' text is built by the presenter now, not kept per row.
  const auto* pDevice = static_cast<const CDeviceItem*>(pItem);
  const QString sMarks = Local(m_presenter.GetRowToolTip(pDevice->key));
  const QString sText = pItem->text(iColumn);
  const QFontMetrics metrics(m_ctlList->font());
  int iNeeded = metrics.horizontalAdvance(sText) +
                2 * (m_ctlList->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_ctlList) + 1);
  if (!pItem->icon(iColumn).isNull()) iNeeded += m_ctlList->iconSize().width() + 4;
  if (iNeeded <= m_ctlList->columnWidth(iColumn)) return sMarks;
  return sMarks.isEmpty() ? sText : sText + u'\n' + sMarks;
}

void CQUORINDlg::InsertTopRow(DeviceRowKey key, const DeviceRowTexts& texts, bool bShown) {
  auto* pItem = new CDeviceItem;
  for (int i = 0; i < static_cast<int>(texts.size()); ++i) pItem->setText(i, Local(texts[i]));
  pItem->key = key;
  pItem->nSeq = ++m_nNextSeq;
  pItem->bShown = bShown;
  pItem->setData(0, Qt::UserRole, QVariant::fromValue<quint64>(key));
  // A blank icon keeps every name in line with those that carry a mark.
  static const QIcon blank = [] {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    return QIcon(pixmap);
  }();
  pItem->setIcon(0, blank);
  TakeRecord(pItem);
  FillExtraColumns(pItem, m_finder->Now());
  m_items.insert(key, pItem);
  m_bAnyAnswer = true;
  if (!bShown) ++m_nHidden;
  PlaceItem(pItem);
}

void CQUORINDlg::SetRowTexts(DeviceRowKey key, const DeviceRowTexts& texts) {
  CDeviceItem* pItem = m_items.value(key);
  if (pItem == nullptr) return;
  for (int i = 0; i < static_cast<int>(texts.size()); ++i) pItem->setText(i, Local(texts[i]));
  TakeRecord(pItem);
  FillExtraColumns(pItem, m_finder->Now());
  if (!m_order.IsNewestFirst()) PlaceItem(pItem);
}

void CQUORINDlg::SetRowShown(DeviceRowKey key, bool bShown) {
  CDeviceItem* pItem = m_items.value(key);
  if (pItem == nullptr || pItem->bShown == bShown) return;
  m_nHidden += bShown ? -1 : 1;
  pItem->bShown = bShown;
  if (!bShown) pItem->setSelected(false);
  pItem->setHidden(!bShown);
}

void CQUORINDlg::SetRowMarks(DeviceRowKey key, bool bWarning) {
  CDeviceItem* pItem = m_items.value(key);
  if (pItem == nullptr) return;
  pItem->bWarning = bWarning;
  // Settings that were sent but never showed up in an answer must not look settled.
  const bool bUnsettled = m_presenter.IsRowUnsettled(key);
  if (bWarning)
    pItem->setIcon(0, style()->standardIcon(QStyle::SP_MessageBoxWarning));
  else if (bUnsettled)
    pItem->setIcon(0, style()->standardIcon(QStyle::SP_MessageBoxQuestion));
  else {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    pItem->setIcon(0, QIcon(pixmap));
  }
}

void CQUORINDlg::DeleteRow(DeviceRowKey key) {
  CDeviceItem* pItem = m_items.take(key);
  if (pItem == nullptr) return;
  if (!pItem->bShown) --m_nHidden;
  delete pItem;
}

bool CQUORINDlg::GetSelectedRow(DeviceRowKey* pKey) const {
  const QList<QTreeWidgetItem*> selected = m_ctlList->selectedItems();
  if (selected.isEmpty()) return false;
  *pKey = static_cast<CDeviceItem*>(selected.front())->key;
  return true;
}

std::vector<DeviceRowKey> CQUORINDlg::GetSelectedRows() const {
  // In the order the list shows them, which is the order a range of addresses is given in.
  std::vector<DeviceRowKey> keys;
  const QList<QTreeWidgetItem*> selected = m_ctlList->selectedItems();
  if (selected.size() <= 1) {
    for (QTreeWidgetItem* p : selected) keys.push_back(static_cast<CDeviceItem*>(p)->key);
    return keys;
  }
  for (int i = 0; i < m_ctlList->topLevelItemCount(); ++i) {
    const auto* pItem = static_cast<const CDeviceItem*>(m_ctlList->topLevelItem(i));
    if (pItem->isSelected() && pItem->bShown) keys.push_back(pItem->key);
  }
  return keys;
}

void CQUORINDlg::SetAdapterNames(const std::vector<std::string>& names) {
  const QString sSelected = QString::fromStdString(m_presenter.GetSelectedAdapter());
  while (m_pAdapter->count() > 1) m_pAdapter->removeItem(1);
  for (const std::string& sName : names) {
    const QString sItem = QString::fromStdString(sName);
    m_pAdapter->addItem(sItem, sItem);
  }
  m_pAdapter->setCurrentIndex(std::max(0, m_pAdapter->findData(sSelected)));
  UpdateAdapterTexts();
}

void CQUORINDlg::UpdateAdapterTexts() {
  m_qwAdapterTableVersion = m_finder->GetInterfaceSnapshot().GetVersion();
  const std::vector<platform::NetInterface>& table = m_presenter.GetInterfaces();
  m_bNoUsableAdapter = UsableInterfaceNames(table).empty();
  // "eth0  192.168.1.5/24": which network each choice reaches.
  for (int i = 1; i < m_pAdapter->count(); ++i) {
    const std::string sName = m_pAdapter->itemData(i).toString().toStdString();
    QStringList addresses;
    for (const platform::NetInterface& entry : table) {
      if (entry.sName != sName) continue;
      int iPrefix = 0;
      for (uint32_t dwMask = entry.dwMask; dwMask & 0x80000000u; dwMask <<= 1) ++iPrefix;
      addresses << QStringLiteral("%1/%2").arg(QString::fromStdString(FormatAddress(entry.dwAddress))).arg(iPrefix);
    }
    const QString sName16 = QString::fromStdString(sName);
    m_pAdapter->setItemText(i, addresses.isEmpty() ? sName16 + QStringLiteral("  (gone)")
                                                   : sName16 + QStringLiteral("  ") + addresses.join(QStringLiteral(", ")));
  }
}

void CQUORINDlg::SetStatusText(const std::string& sText) { AddStatus(sText); }

void CQUORINDlg::AddStatus(const std::string& sText) {
  m_history.Add(sText);
  m_pStatus->setText(Local(m_history.Latest()));
  m_pStatus->setToolTip(m_history.IsEmpty() ? QString()
                                            : Local(m_history.AllLines()) +
                                                  QStringLiteral("\n\n(right-click to clear)"));
}

void CQUORINDlg::TakeRecord(CDeviceItem* pItem) {
  KESTO_RECORD probe{};
  MacOfKey(pItem->key, probe.byMAC);
  if (const CKestoInfo* pEntry = m_finder->FindByMAC(probe)) pItem->record = pEntry->GetRecord();
}

void CQUORINDlg::FillExtraColumns(CDeviceItem* pItem, uint32_t dwNow) {
  KESTO_RECORD probe{};
  MacOfKey(pItem->key, probe.byMAC);
  const CKestoInfo* pEntry = m_finder->FindByMAC(probe);
  const uint32_t dwAge = pEntry != nullptr ? static_cast<uint32_t>(dwNow - pEntry->dwLastSeen) : 0;
  for (int i = CDeviceColumnSet::kDefaultCount; i < CDeviceColumnSet::kCount; ++i)
    pItem->setText(i, Local(CDeviceColumnSet::Text(i, pItem->record, dwAge)));
  pItem->sSortKey = m_order.IsNewestFirst() ? std::string()
                                            : CDeviceColumnSet::SortKey(m_order.GetColumn(), pItem->record, dwAge);
}

void CQUORINDlg::RefreshLastSeen(uint32_t dwNow) {
  m_dwLastSeenShown = dwNow;
  for (CDeviceItem* pItem : std::as_const(m_items)) {
    KESTO_RECORD probe{};
    MacOfKey(pItem->key, probe.byMAC);
    const CKestoInfo* pEntry = m_finder->FindByMAC(probe);
    if (pEntry == nullptr) continue;
    pItem->setText(CDeviceColumnSet::kLastSeen,
                   Local(CDeviceColumnSet::AgeText(static_cast<uint32_t>(dwNow - pEntry->dwLastSeen))));
  }
  if (m_order.GetColumn() == CDeviceColumnSet::kLastSeen) SortAll();
}

void CQUORINDlg::PlaceItem(CDeviceItem* pItem) {
  const bool bSelected = pItem->treeWidget() != nullptr && pItem->isSelected();
  const bool bCurrent = m_ctlList->currentItem() == pItem;
  if (pItem->treeWidget() != nullptr) {
    const int iAt = m_ctlList->indexOfTopLevelItem(pItem);
    auto before = [this](int i, const CDeviceItem* p) {
      const auto* pOther = static_cast<const CDeviceItem*>(m_ctlList->topLevelItem(i));
      return m_order.Before(pOther->sSortKey, pOther->nSeq, p->sSortKey, p->nSeq);
    };
    const bool bAboveOk = iAt == 0 || before(iAt - 1, pItem);
    const bool bBelowOk = iAt + 1 >= m_ctlList->topLevelItemCount() ||
                          !before(iAt + 1, pItem);
    if (bAboveOk && bBelowOk) return;
    m_ctlList->takeTopLevelItem(iAt);
  }
  // Binary search: the first row the new one stands above.
  int iLow = 0, iHigh = m_ctlList->topLevelItemCount();
  while (iLow < iHigh) {
    const int iMid = (iLow + iHigh) / 2;
    const auto* pOther = static_cast<const CDeviceItem*>(m_ctlList->topLevelItem(iMid));
    if (m_order.Before(pOther->sSortKey, pOther->nSeq, pItem->sSortKey, pItem->nSeq))
      iLow = iMid + 1;
    else
      iHigh = iMid;
  }
  m_ctlList->insertTopLevelItem(iLow, pItem);
  pItem->setHidden(!pItem->bShown);
  if (bCurrent) m_ctlList->setCurrentItem(pItem, 0, QItemSelectionModel::NoUpdate);
  if (bSelected) pItem->setSelected(true);
}

void CQUORINDlg::SortAll() {
  QTreeWidgetItem* pSelected = m_ctlList->selectedItems().isEmpty() ? nullptr : m_ctlList->selectedItems().front();
  const uint32_t dwNow = m_finder->Now();
  QList<QTreeWidgetItem*> items = m_ctlList->invisibleRootItem()->takeChildren();
  for (QTreeWidgetItem* p : items) FillExtraColumns(static_cast<CDeviceItem*>(p), dwNow);
  std::stable_sort(items.begin(), items.end(), [this](QTreeWidgetItem* a, QTreeWidgetItem* b) {
    const auto* pA = static_cast<const CDeviceItem*>(a);
    const auto* pB = static_cast<const CDeviceItem*>(b);
    return m_order.Before(pA->sSortKey, pA->nSeq, pB->sSortKey, pB->nSeq);
  });
  m_ctlList->addTopLevelItems(items);
  for (QTreeWidgetItem* p : items) p->setHidden(!static_cast<CDeviceItem*>(p)->bShown);
  if (pSelected != nullptr) {
    m_ctlList->setCurrentItem(pSelected);
    m_ctlList->scrollToItem(pSelected);
  }
}

void CQUORINDlg::SetSortOrder(const CDeviceSortOrder& order) {
  m_order = order;
  ShowSortIndicator();
  SortAll();
}

void CQUORINDlg::ShowSortIndicator() {
  QHeaderView* pHeader = m_ctlList->header();
  pHeader->setSortIndicatorShown(!m_order.IsNewestFirst());
  if (!m_order.IsNewestFirst())
    pHeader->setSortIndicator(m_order.GetColumn(), m_order.IsAscending() ? Qt::AscendingOrder : Qt::DescendingOrder);
  m_pNewestFirst->setEnabled(!m_order.IsNewestFirst());
}

void CQUORINDlg::OnHeaderClicked(int iColumn) {
  CDeviceSortOrder order = m_order;
  order.Click(iColumn);
  SetSortOrder(order);
}

void CQUORINDlg::FitColumns() {
  for (int i = 0; i < CDeviceColumnSet::kCount; ++i)
    if (!m_ctlList->isColumnHidden(i)) {
      m_ctlList->resizeColumnToContents(i);
      m_ctlList->setColumnWidth(i, m_ctlList->columnWidth(i) + 8);  // a little air between columns
    }
}

void CQUORINDlg::SetColumnShown(int iColumn, bool bShown) {
  if (iColumn < CDeviceColumnSet::kDefaultCount || iColumn >= CDeviceColumnSet::kCount) return;
  m_ctlList->setColumnHidden(iColumn, !bShown);
  if (bShown && m_ctlList->columnWidth(iColumn) < 10)
    m_ctlList->setColumnWidth(iColumn, CDeviceColumnSet::Get(iColumn).iWidth);
  if (!bShown && m_order.GetColumn() == iColumn) SetSortOrder(CDeviceSortOrder());
  if (bShown && iColumn == CDeviceColumnSet::kLastSeen) RefreshLastSeen(m_finder->Now());
}

QMenu* CQUORINDlg::CreateHeaderMenu() {
  auto* pMenu = new QMenu(this);
  for (int i = CDeviceColumnSet::kDefaultCount; i < CDeviceColumnSet::kCount; ++i) {
    QAction* pAction = pMenu->addAction(QString::fromLatin1(CDeviceColumnSet::Get(i).pszTitle));
    pAction->setCheckable(true);
    pAction->setChecked(!m_ctlList->isColumnHidden(i));
    connect(pAction, &QAction::toggled, this, [this, i](bool bOn) { SetColumnShown(i, bOn); });
  }
  pMenu->addSeparator();
  pMenu->addAction(QStringLiteral("Fit columns to contents"), this, [this] { FitColumns(); });
  QAction* pNewest = pMenu->addAction(QStringLiteral("Sort newest first"), this, [this] { SetSortOrder({}); });
  pNewest->setEnabled(!m_order.IsNewestFirst());
  return pMenu;
}

QMenu* CQUORINDlg::CreateRowMenu() {
  auto* pMenu = new QMenu(this);
  const QList<QTreeWidgetItem*> selected = m_ctlList->selectedItems();
  const CDeviceItem* pItem = selected.isEmpty() ? nullptr : static_cast<CDeviceItem*>(selected.front());
  const bool bRow = pItem != nullptr && m_presenter.GetSelectedRecord() != nullptr;
  pMenu->addAction(QStringLiteral("&Basic Config..."), this, [this] { m_presenter.OnBasicConfig(); })->setEnabled(bRow);
  pMenu->addAction(QStringLiteral("&Open web page"), this, [this] { m_presenter.OnLaunchConfigurator(); })->setEnabled(bRow);
  pMenu->addSeparator();
  if (!bRow) return pMenu;
  const QString sMAC = QString::fromStdString(FormatMAC(pItem->record.byMAC));
  const QString sIP = QString::fromStdString(FormatAddress(pItem->record.dwIPAddress));
  pMenu->addAction(QStringLiteral("Copy &MAC address"), this, [sMAC] { QApplication::clipboard()->setText(sMAC); });
  pMenu->addAction(QStringLiteral("Copy &IP address"), this, [sIP] { QApplication::clipboard()->setText(sIP); });
  pMenu->addAction(QStringLiteral("&Copy row as CSV"), this, [this] { CopySelectedRows(); });
  return pMenu;
}

QMenu* CQUORINDlg::CreateStatusMenu() {
  auto* pMenu = new QMenu(this);
  QAction* pClear = pMenu->addAction(QStringLiteral("Clear status history"), this, [this] {
    m_history.Clear();
    m_presenter.ClearApplyOutcomes();
    m_history.Clear();  // clearing the outcomes may have reported once more
    AddStatus(std::string());
  });
  pClear->setEnabled(!m_history.IsEmpty());
  return pMenu;
}

void CQUORINDlg::OnRowMenu(const QPoint& pos) {
  // A click on a row outside the selection selects it alone; inside, the selection stays.
  if (QTreeWidgetItem* pItem = m_ctlList->itemAt(pos); pItem != nullptr && !pItem->isSelected()) {
    m_ctlList->setCurrentItem(pItem);
    pItem->setSelected(true);
  }
  std::unique_ptr<QMenu> menu(CreateRowMenu());
  menu->exec(m_ctlList->viewport()->mapToGlobal(pos));
}

void CQUORINDlg::CopySelectedRows() {
  std::string sText;
  for (QTreeWidgetItem* p : m_ctlList->selectedItems()) {
    const auto* pItem = static_cast<CDeviceItem*>(p);
    if (pItem->bShown) sText += DeviceToCsvRow(pItem->record, pItem->bWarning);
  }
  if (sText.empty()) return;
  QApplication::clipboard()->setText(QString::fromUtf8(DeviceCsvHeader() + sText));
}

void CQUORINDlg::UpdateState() {
  DeviceListFacts facts;
  facts.nRows = static_cast<int>(m_items.size());
  facts.nShown = facts.nRows - m_nHidden;
  facts.bAnyAnswer = m_bAnyAnswer;
  facts.bFiltering = !m_pFilter->text().trimmed().isEmpty();
  facts.bNoBroadcastAdapter =
      m_presenter.CanChooseDestinations() && m_presenter.AreInterfacesKnown() && m_bNoUsableAdapter && m_targets.isEmpty();
  const QString sCount = QString::fromStdString(CDeviceListState::CountText(facts));
  if (m_pCount->text() != sCount) m_pCount->setText(sCount);
  const QString sEmpty = QString::fromStdString(CDeviceListState::EmptyText(facts));
  if (m_pEmpty->text() != sEmpty) m_pEmpty->setText(sEmpty);
  m_pEmpty->setVisible(!sEmpty.isEmpty());
}

void CQUORINDlg::UpdateCommands() {
  const bool bRow = m_presenter.GetSelectedRecord() != nullptr;
  // Basic Config works on one row or several; a web page is one device's.
  m_pBasicConfig->setEnabled(bRow);
  m_pLaunch->setEnabled(bRow && m_ctlList->selectedItems().size() == 1);
}

bool CQUORINDlg::RunMultiConfigDialog(CMultiConfigForm& form) {
  CMultiConfigDlg dialog(form, this);
  return dialog.RunModal([this] { m_presenter.PollWhileModal(); }, [this](int iMs) { PauseForAnswer(iMs); });
}

bool CQUORINDlg::RunConfigDialog(CConfigKestoModel& model) {
  CConfigKestoDlg dialog(model, this);
  // The addresses the other listed devices use, for the check before sending.
  std::vector<CConfigAddressCheck::OtherDevice> others;
  DeviceRowKey selected = 0;
  GetSelectedRow(&selected);
  for (const CDeviceItem* pItem : std::as_const(m_items)) {
    if (pItem->key == selected) continue;
    const std::string sName = FieldText(pItem->record.szName, sizeof pItem->record.szName);
    others.push_back({pItem->record.dwIPAddress, (sName.empty() ? "" : pItem->text(0).toStdString() + " ") + "(" +
                                                     FormatMAC(pItem->record.byMAC) + ")"});
  }
  dialog.SetOtherDevices(std::move(others));
  const bool bConfirmed =
      dialog.RunModal([this] { m_presenter.PollWhileModal(); }, [this](int iMs) { PauseForAnswer(iMs); });
  return bConfirmed;
}

void CQUORINDlg::OnExport() {
  // Window-modal and not waited for: the loop keeps the list alive while the user
  // picks a name, so no device ages out behind the dialog.
  if (m_pExportDialog == nullptr) {
    m_pExportDialog = new QFileDialog(this, QStringLiteral("Export"), QString(),
                                      QStringLiteral("CSV files (*.csv);;JSON files (*.json)"));
    m_pExportDialog->setAcceptMode(QFileDialog::AcceptSave);
    m_pExportDialog->selectFile(QStringLiteral("kesto-devices.csv"));
    connect(m_pExportDialog, &QFileDialog::fileSelected, this, [this](const QString& sChosen) {
      QString sPath = sChosen;
      // A name without a known suffix takes the one of the chosen file type.
      ExportFormat format;
      if (!ExportFormatForPath(sPath.toStdString(), &format))
        sPath += m_pExportDialog->selectedNameFilter().contains(QStringLiteral("json")) ? QStringLiteral(".json")
                                                                                       : QStringLiteral(".csv");
      ExportTo(sPath);
    });
  }
  m_pExportDialog->open();
}

bool CQUORINDlg::ExportTo(const QString& sPath) {
  ExportFormat format;
  if (!ExportFormatForPath(sPath.toStdString(), &format)) {
    ShowError(QStringLiteral("Choose a file name ending in .csv or .json:\n%1").arg(sPath));
    return false;
  }
  const std::vector<ListedDevice> devices = m_presenter.ShownDevices();
  const std::string sText = ExportDevices(devices, format);
  // Written beside the target and renamed over it, so a failed write leaves the old file whole.
  QSaveFile file(sPath);
  if (!file.open(QIODevice::WriteOnly) ||
      file.write(sText.data(), static_cast<qint64>(sText.size())) != static_cast<qint64>(sText.size()) ||
      !file.commit()) {
    ShowError(QStringLiteral("The device list could not be written to %1:\n%2").arg(sPath, file.errorString()));
    return false;
  }
  AddStatus(QStringLiteral("Exported %1 %2 to %3")
                .arg(devices.size())
                .arg(devices.size() == 1 ? QStringLiteral("device") : QStringLiteral("devices"),
                     QFileInfo(sPath).fileName())
                .toStdString());
  return true;
}

void CQUORINDlg::ShowError(const QString& sText) {
  if (m_pErrorMessage != nullptr) m_pErrorMessage->deleteLater();
  m_pErrorMessage = new QMessageBox(QMessageBox::Warning, windowTitle(), sText, QMessageBox::Ok, this);
  m_pErrorMessage->setAttribute(Qt::WA_DeleteOnClose, false);
  m_pErrorMessage->open();
}

void CQUORINDlg::FillTargetsMenu() {
  QMenu* pMenu = m_pTargets->menu();
  pMenu->clear();
  pMenu->addAction(QStringLiteral("&Add target..."), this, [this] { OnAddTarget(); });
  pMenu->addSeparator();
  if (m_targets.isEmpty()) pMenu->addAction(QStringLiteral("No targets: broadcasts only"))->setEnabled(false);
  for (const QString& sTarget : std::as_const(m_targets))
    pMenu->addAction(QStringLiteral("Remove %1").arg(sTarget), this, [this, sTarget] { RemoveTarget(sTarget); });
  pMenu->addSeparator();
  pMenu->addAction(QStringLiteral("&Clear targets"), this, [this] {
    m_presenter.ClearTargets();
    m_targets.clear();
  })->setEnabled(!m_targets.isEmpty());
}

void CQUORINDlg::OnAddTarget(const QString& sText, const QString& sReason) {
  // Not waited for, so the polling loop keeps the list alive while the user types.
  static const QString kLabel = QStringLiteral("Address or range to probe (A.B.C.D or A.B.C.D/prefix):");
  if (m_pTargetInput == nullptr) {
    m_pTargetInput = new QInputDialog(this);
    m_pTargetInput->setWindowTitle(QStringLiteral("Add target"));
    connect(m_pTargetInput, &QInputDialog::textValueSelected, this, [this](const QString& s) { AddTarget(s); });
  }
  m_pTargetInput->setLabelText(sReason.isEmpty() ? kLabel : sReason + QStringLiteral("\n\n") + kLabel);
  m_pTargetInput->setTextValue(sText);
  m_pTargetInput->open();
}

bool CQUORINDlg::AddTarget(const QString& sText) {
  const QString sTrimmed = sText.trimmed();
  if (m_targets.contains(sTrimmed)) return true;
  std::string sError;
  if (!m_presenter.AddTarget(sTrimmed.toStdString(), &sError)) {
    // The input comes back with the text, so a typo is mended rather than typed again.
    OnAddTarget(sText, QString::fromStdString(sError));
    return false;
  }
  m_targets << sTrimmed;
  return true;
}

void CQUORINDlg::RemoveTarget(const QString& sText) {
  if (!m_targets.removeOne(sText)) return;
  m_presenter.ClearTargets();
  std::string sError;
  for (const QString& sTarget : std::as_const(m_targets)) m_presenter.AddTarget(sTarget.toStdString(), &sError);
}

void CQUORINDlg::OnAbout() {
  // Not waited for, like the window's other notices, so the list keeps polling behind it.
  if (m_pAboutBox == nullptr) {
    m_pAboutBox = new QMessageBox(QMessageBox::Information, QStringLiteral("About Tamrel Kesto Manager"),
                                  QString::fromStdString(GetKestoAboutText()), QMessageBox::Ok, this);
    m_pAboutBox->setIconPixmap(ProgramIcon().pixmap(48, 48));
  }
  m_pAboutBox->open();
}
