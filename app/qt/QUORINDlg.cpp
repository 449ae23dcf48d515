#include "app/qt/QUORINDlg.h"

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
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <cstring>

#include "app/qt/AppIdentity.h"
#include "app/qt/ConfigKestoDlg.h"
#include "app/qt/DeviceTableModel.h"
#include "app/qt/DialogUnits.h"
#include "app/qt/MultiConfigDlg.h"
#include "app/qt/PlanCommands.h"
#include "app/qt/ProgramIcon.h"
#include "app/logic/ConfigAddressCheck.h"
#include "app/logic/DeviceColumnSet.h"
#include "app/logic/DeviceExport.h"
#include "app/logic/DeviceListState.h"
#include "app/logic/PollingLoop.h"
#include "app/logic/WindowTexts.h"
#include "formats/DeviceCsv.h"
#include "version/KestoVersion.h"

namespace {

// Every text the presenter hands over is UTF-8, device texts escaped by it already.
QString Local(const std::string& s) { return QString::fromStdString(s); }

// The list's settings live beside the program's other per-user files.
QSettings Settings() { return ApplicationSettings(); }

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
      m_pExport(new QPushButton(QStringLiteral("&Export..."), this)),
      m_pModel(new CDeviceTableModel(m_rows, this)),
      m_ctlList(new QTreeView(this)),
      m_pEmpty(new QLabel(m_ctlList->viewport())),
      m_pBasicConfig(new QPushButton(QStringLiteral("&Basic Config..."), this)),
      m_pLaunch(new QPushButton(QStringLiteral("&Lauch Configurator..."), this)),
      m_pPlans(new QToolButton(this)),
      m_pNewestFirst(new QPushButton(QStringLiteral("&Newest first"), this)),
      m_pAbout(new QPushButton(QStringLiteral("About..."), this)),
      m_pStatus(new QLabel(this)),
      m_pCount(new QLabel(this)),
      m_presenter(
          *m_finder, *this, [this](CConfigKestoModel& model) { return RunConfigDialog(model); },
          [this](const std::string& sUrl) {
            // Without a browser nothing opens and nothing else would say so.
            if (!QDesktopServices::openUrl(QUrl(QString::fromStdString(sUrl))))
              AddStatus("No web browser opened " + sUrl + ": open it by hand");
          }),
      m_pPlanCommands(new CPlanCommands(
          m_presenter, this, [this](const QString& sText) { AddStatus(sText.toStdString()); },
          [this](const QString& sText) { ShowError(sText); })) {
  m_presenter.SetMultiConfigDialog([this](CMultiConfigForm& form) { return RunMultiConfigDialog(form); });
  m_rows.SetAge([this](DeviceRowKey key) { return AgeOf(key); });
  // Tests and tools find the widgets by these names.
  const std::pair<QWidget*, const char*> names[] = {
      {m_pFilter, "filter"},        {m_pAdapter, "adapter"},   {m_pTargets, "targets"},
      {m_pExport, "export"},        {m_ctlList, "deviceList"}, {m_pEmpty, "emptyText"},
      {m_pBasicConfig, "basicConfig"}, {m_pLaunch, "launch"}, {m_pPlans, "plans"},
      {m_pNewestFirst, "newestFirst"}, {m_pAbout, "about"},   {m_pStatus, "status"},
      {m_pCount, "count"}};
  for (const auto& [pWidget, pszName] : names) pWidget->setObjectName(QString::fromLatin1(pszName));
  setWindowTitle(Local(CWindowTexts::kCaption));
  setWindowIcon(ProgramIcon());
  BuildLayout();
  SetUpColumns();

  m_pFilter->setPlaceholderText(QStringLiteral("Filter"));
  m_pFilter->setClearButtonEnabled(true);
  m_pFilter->setToolTip(QStringLiteral("Shows only the devices whose name, MAC, IP address or version holds this text"));
  m_pAdapterLabel->setBuddy(m_pAdapter);
  m_pAdapter->addItem(Local(CWindowTexts::kAllAdapters), QString());
  m_pAdapter->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  m_pTargets->setText(QStringLiteral("&Targets"));
  m_pTargets->setPopupMode(QToolButton::InstantPopup);
  m_pTargets->setFocusPolicy(Qt::StrongFocus);
  auto* pMenu = new QMenu(m_pTargets);
  // Rebuilt each time it opens, never from one of its own actions.
  connect(pMenu, &QMenu::aboutToShow, this, [this] { FillTargetsMenu(); });
  m_pTargets->setMenu(pMenu);
  FillTargetsMenu();
  // One explicit host (KESTO_TARGET) stays the only destination; the tooltips say so.
  const bool bCanChoose = m_presenter.CanChooseDestinations();
  m_pAdapter->setEnabled(bCanChoose);
  m_pAdapter->setToolTip(Local(CWindowTexts::AdapterTip(bCanChoose)));
  m_pTargets->setEnabled(bCanChoose);
  m_pTargets->setToolTip(Local(CWindowTexts::TargetsTip(bCanChoose)));
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
  for (QPushButton* pButton : {m_pBasicConfig, m_pLaunch, m_pExport, m_pNewestFirst, m_pAbout}) {
    pButton->setAutoDefault(false);
    pButton->setDefault(false);
  }
  auto* pFind = new QShortcut(QKeySequence::Find, this);
  connect(pFind, &QShortcut::activated, this, [this] {
    m_pFilter->setFocus(Qt::ShortcutFocusReason);
    m_pFilter->selectAll();
  });
  setTabOrder(m_pFilter, m_ctlList);
  setTabOrder(m_ctlList, m_pBasicConfig);
  setTabOrder(m_pBasicConfig, m_pLaunch);
  setTabOrder(m_pLaunch, m_pPlans);
  setTabOrder(m_pPlans, m_pNewestFirst);
  setTabOrder(m_pNewestFirst, m_pAbout);
  setTabOrder(m_pAbout, m_pAdapter);
  setTabOrder(m_pAdapter, m_pTargets);
  setTabOrder(m_pTargets, m_pExport);
  m_pPlans->setText(QStringLiteral("&Plans"));
  m_pPlans->setPopupMode(QToolButton::InstantPopup);
  m_pPlans->setFocusPolicy(Qt::StrongFocus);
  m_pPlans->setToolTip(QStringLiteral("Settings for many devices at once: a plan file or a backup"));
  auto* pPlansMenu = new QMenu(m_pPlans);
  pPlansMenu->setToolTipsVisible(true);
  pPlansMenu->addAction(QStringLiteral("&Apply plan..."), this, [this] { m_pPlanCommands->OnApplyPlan(); })
      ->setToolTip(QStringLiteral("Opens a plan (CSV or JSON, as kesto apply reads it) or a backup, shows what it "
                                  "would change on each device, and applies it when you confirm"));
  pPlansMenu->addAction(QStringLiteral("&Back up..."), this, [this] { m_pPlanCommands->OnBackup(); })
      ->setToolTip(QStringLiteral("Writes every listed device's settings to a JSON file, to apply again later"));
  m_pPlans->setMenu(pPlansMenu);

  connect(m_pBasicConfig, &QPushButton::clicked, this, [this] { m_presenter.OnBasicConfig(); });
  connect(m_pLaunch, &QPushButton::clicked, this, [this] { m_presenter.OnLaunchConfigurator(); });
  connect(m_pAbout, &QPushButton::clicked, this, [this] { OnAbout(); });
  connect(m_pNewestFirst, &QPushButton::clicked, this, [this] {
    CDeviceSortOrder order;
    SetSortOrder(order);
  });
  connect(m_pFilter, &QLineEdit::textChanged, this, [this](const QString& sText) {
    m_presenter.SetFilterText(sText.toUtf8().toStdString());
    SyncList();
    UpdateState();
  });
  connect(m_pExport, &QPushButton::clicked, this, [this] { OnExport(); });
  connect(m_pAdapter, &QComboBox::activated, this,
          [this](int iIndex) { m_presenter.SelectAdapter(m_pAdapter->itemData(iIndex).toString().toStdString()); });
  connect(m_ctlList->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { UpdateCommands(); });
  connect(m_ctlList, &QTreeView::doubleClicked, this, [this](const QModelIndex& index) {
    if (index.isValid() && m_ctlList->selectionModel()->isRowSelected(index.row(), QModelIndex()))
      m_presenter.OnBasicConfig();
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

  auto* pButtons = new QHBoxLayout;
  pButtons->addWidget(m_pBasicConfig);
  pButtons->addWidget(m_pLaunch);
  pButtons->addWidget(m_pPlans);
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
  // The old fixed dialog's size is the least the window takes; the first start opens larger.
  setMinimumSize(du.Size(kWindowWidth, kWindowHeight));
  resize(minimumSize());
}

void CQUORINDlg::SetUpColumns() {
  m_ctlList->setModel(m_pModel);
  // A blank icon keeps every name in line with those that carry a mark.
  // Set outright: the widths below count it, and an unset size reads as -1.
  const int iIcon = m_ctlList->style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, m_ctlList);
  m_ctlList->setIconSize(QSize(iIcon, iIcon));
  QPixmap blank(m_ctlList->iconSize());
  blank.fill(Qt::transparent);
  m_pModel->SetMarkIcons(style()->standardIcon(QStyle::SP_MessageBoxWarning),
                         style()->standardIcon(QStyle::SP_MessageBoxQuestion), QIcon(blank));
  m_ctlList->setRootIsDecorated(false);
  m_ctlList->setItemsExpandable(false);
  m_ctlList->setUniformRowHeights(true);
  // The window orders the rows itself, so newest first stays possible. Switching the view's own
  // sorting off also makes the header unclickable, so the clicks are turned on after it.
  m_ctlList->setSortingEnabled(false);
  m_ctlList->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
  QHeaderView* pHeader = m_ctlList->header();
  // The last shown column takes what room is left, so no blank band stands beside the columns.
  pHeader->setStretchLastSection(true);
  pHeader->setSectionsMovable(false);
  pHeader->setSectionsClickable(true);
  // A width the user drags stays; until then the name column grows to the longest name.
  connect(pHeader, &QHeaderView::sectionResized, this, [this](int iColumn, int, int) {
    if (iColumn == 0 && !m_bSizingName && m_ctlList->isVisible()) m_bNameSized = true;
  });
  pHeader->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  pHeader->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(pHeader, &QHeaderView::sectionClicked, this, [this](int iColumn) { OnHeaderClicked(iColumn); });
  // A quick second click arrives as a double click, which the header does not count as a click.
  connect(pHeader, &QHeaderView::sectionDoubleClicked, this, [this](int iColumn) { OnHeaderClicked(iColumn); });
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
    const int iIconRoom = i == 0 ? m_ctlList->iconSize().width() + 4 : 0;
    const int iWidth = std::max({column.iWidth + iIconRoom, metrics.horizontalAdvance(sSample) + iMargin,
                                 // the title, with room for the sort arrow beside it
                                 QFontMetrics(pHeader->font()).horizontalAdvance(QString::fromLatin1(column.pszTitle)) +
                                     iMargin + pHeader->style()->pixelMetric(QStyle::PM_HeaderMarkSize) + 8});
    m_ctlList->setColumnWidth(i, iWidth);
    m_ctlList->setColumnHidden(i, !column.bDefault);
  }
  m_ctlList->setAllColumnsShowFocus(true);
  m_ctlList->setSelectionMode(QAbstractItemView::ExtendedSelection);
  m_ctlList->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_ctlList->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(m_ctlList, &QTreeView::customContextMenuRequested, this, [this](const QPoint& pos) { OnRowMenu(pos); });
  m_ctlList->installEventFilter(this);
  m_ctlList->viewport()->installEventFilter(this);
  ShowSortIndicator();
}

void CQUORINDlg::LoadSettings() {
  QSettings settings = Settings();
  if (settings.contains(QStringLiteral("window/geometry")))
    restoreGeometry(settings.value(QStringLiteral("window/geometry")).toByteArray());
  else
    resize(FirstStartSize());
  m_bNameSized = settings.value(QStringLiteral("list/nameSized")).toBool();
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
  int iLast = -1;
  for (int i = 0; i < CDeviceColumnSet::kCount; ++i)
    if (!m_ctlList->isColumnHidden(i)) iLast = i;
  for (int i = 0; i < CDeviceColumnSet::kCount; ++i) {
    // A hidden column reports no width; keep the one it will show with. The last one's width is
    // the room left over, not a choice: kept, it would push the columns past the next window's edge.
    const int iWidth = i == iLast                   ? CDeviceColumnSet::Get(i).iWidth
                       : m_ctlList->isColumnHidden(i) ? m_ctlList->header()->sectionSize(i)
                                                      : m_ctlList->columnWidth(i);
    widths << QString::number(iWidth > 0 ? iWidth : CDeviceColumnSet::Get(i).iWidth);
    if (i >= CDeviceColumnSet::kDefaultCount && !m_ctlList->isColumnHidden(i))
      shown << QString::fromLatin1(CDeviceColumnSet::Get(i).pszTitle);
  }
  settings.setValue(QStringLiteral("list/widths"), widths);
  settings.setValue(QStringLiteral("list/extraColumns"), shown);
  settings.setValue(QStringLiteral("list/order"), QString::fromStdString(m_rows.GetOrder().ToText()));
  settings.setValue(QStringLiteral("list/nameSized"), m_bNameSized);
}

QSize CQUORINDlg::FirstStartSize() const {
  // About 20 rows and every shown column uncut, with the name column wide enough for a full name field.
  const QFontMetrics metrics(m_ctlList->font());
  int iColumns = 0;
  for (int i = 0; i < CDeviceColumnSet::kCount; ++i)
    if (!m_ctlList->isColumnHidden(i))
      iColumns += i == 0 ? std::max(m_ctlList->columnWidth(0), metrics.horizontalAdvance(QString(28, u'n')) +
                                                                     m_ctlList->iconSize().width() + 16)
                         : m_ctlList->columnWidth(i);
  const int iRow = std::max(metrics.height(), m_ctlList->iconSize().height()) + 4;
  const int iFrame = 2 * m_ctlList->frameWidth();
  const QSize list(iColumns + iFrame + m_ctlList->verticalScrollBar()->sizeHint().width(),
                   m_ctlList->header()->sizeHint().height() + 20 * iRow + iFrame);
  const QSize extra = layout()->sizeHint() - m_ctlList->sizeHint();
  const QSize wanted = (extra + list).expandedTo(minimumSize());
  // Never beyond the screen's free area.
  const QScreen* pScreen = screen();
  return pScreen != nullptr ? wanted.boundedTo(pScreen->availableSize() * 9 / 10).expandedTo(minimumSize()) : wanted;
}

void CQUORINDlg::PollDevices() {
  m_presenter.PollDevices();
  SyncList();
  FitNameColumn();
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
                                     Local(CWindowTexts::SocketProblem(m_finder->GetSocketError())), QMessageBox::Ok, this);
  m_pSocketMessage->setObjectName(QStringLiteral("socketMessage"));
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
    } else if (pEvent->type() == QEvent::FocusIn && !m_ctlList->selectionModel()->hasSelection() &&
               m_pModel->rowCount() > 0) {
      // Arriving by Tab on a list without a selection selects its first row.
      m_ctlList->setCurrentIndex(m_pModel->index(0, 0));
    }
  } else if (pObject == m_ctlList->viewport()) {
    if (pEvent->type() == QEvent::Resize) {
      m_pEmpty->setGeometry(m_ctlList->viewport()->rect().adjusted(8, 8, -8, -8));
      FitNameColumn();
    } else if (pEvent->type() == QEvent::ToolTip) {
      auto* pHelp = static_cast<QHelpEvent*>(pEvent);
      const QModelIndex index = m_ctlList->indexAt(pHelp->pos());
      const QString sText = index.isValid() ? CellToolTip(index) : QString();
      if (sText.isEmpty())
        QToolTip::hideText();
      else
        QToolTip::showText(pHelp->globalPos(), sText, m_ctlList->viewport(), m_ctlList->visualRect(index));
      return true;
    }
  }
  return QWidget::eventFilter(pObject, pEvent);
}

QString CQUORINDlg::CellToolTip(const QModelIndex& index) const {
  const CDeviceRowStore::Row* pRow = m_pModel->RowAt(index.row());
  if (pRow == nullptr) return {};
  // The marks' text is built by the presenter when asked, not kept per row.
  const QString sMarks = Local(m_presenter.GetRowToolTip(pRow->key));
  const QString sText = index.data().toString();
  const QFontMetrics metrics(m_ctlList->font());
  int iNeeded = metrics.horizontalAdvance(sText) +
                2 * (m_ctlList->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_ctlList) + 1);
  if (index.column() == 0) iNeeded += m_ctlList->iconSize().width() + 4;
  if (iNeeded <= m_ctlList->columnWidth(index.column())) return sMarks;
  // The full text first, then the marks' lines.
  return sMarks.isEmpty() ? sText : sText + u'\n' + sMarks;
}

void CQUORINDlg::UpdateState() {
  DeviceListFacts facts;
  facts.nRows = m_rows.GetRowCount();
  facts.nShown = m_rows.GetShownCount();
  facts.bAnyAnswer = m_bAnyAnswer;
  facts.bEmptyForLong = m_presenter.IsEmptyForLong();
  facts.bFiltering = !m_pFilter->text().trimmed().isEmpty();
  facts.bNoBroadcastAdapter = m_targets.LeavesNothingToProbe(m_bNoUsableAdapter);
  const QString sCount = QString::fromStdString(CDeviceListState::CountText(facts));
  if (m_pCount->text() != sCount) m_pCount->setText(sCount);
  const QString sEmpty = QString::fromStdString(CDeviceListState::EmptyText(facts));
  if (m_pEmpty->text() != sEmpty) m_pEmpty->setText(sEmpty);
  m_pEmpty->setVisible(!sEmpty.isEmpty());
}

void CQUORINDlg::UpdateCommands() {
  const bool bRow = m_presenter.GetSelectedRecord() != nullptr;
  const size_t nSelected = bRow ? static_cast<size_t>(m_ctlList->selectionModel()->selectedRows().size()) : 0;
  // Basic Config works on one row or several; a web page is one device's. The tooltips say why a command is greyed.
  m_pBasicConfig->setEnabled(bRow);
  m_pBasicConfig->setToolTip(Local(CWindowTexts::BasicConfigTip(nSelected)));
  m_pLaunch->setEnabled(nSelected == 1);
  m_pLaunch->setToolTip(Local(CWindowTexts::LaunchTip(nSelected)));
}

bool CQUORINDlg::RunMultiConfigDialog(CMultiConfigForm& form) {
  CMultiConfigDlg dialog(form, this);
  const bool bConfirmed =
      dialog.RunModal([this] { m_presenter.PollWhileModal(); }, [this](int iMs) { PauseForAnswer(iMs); });
  activateWindow();
  m_ctlList->setFocus(Qt::OtherFocusReason);
  return bConfirmed;
}

bool CQUORINDlg::RunConfigDialog(CConfigKestoModel& model) {
  CConfigKestoDlg dialog(model, this);
  // The addresses the other listed devices use, for the check before sending.
  std::vector<CConfigAddressCheck::OtherDevice> others;
  DeviceRowKey selected = 0;
  GetSelectedRow(&selected);
  others.reserve(m_rows.Rows().size());
  for (const auto& [key, row] : m_rows.Rows()) {
    if (key == selected) continue;
    const std::string sName = m_rows.CellText(row, 0);
    others.push_back({row.record.dwIPAddress, (sName.empty() ? "" : sName + " ") + "(" + FormatMAC(row.record.byMAC) + ")"});
  }
  dialog.SetOtherDevices(std::move(others));
  const bool bConfirmed =
      dialog.RunModal([this] { m_presenter.PollWhileModal(); }, [this](int iMs) { PauseForAnswer(iMs); });
  // The keyboard comes back to the list, not to nowhere.
  activateWindow();
  m_ctlList->setFocus(Qt::OtherFocusReason);
  return bConfirmed;
}

void CQUORINDlg::ShowError(const QString& sText) {
  if (m_pErrorMessage != nullptr) m_pErrorMessage->deleteLater();
  m_pErrorMessage = new QMessageBox(QMessageBox::Warning, windowTitle(), sText, QMessageBox::Ok, this);
  m_pErrorMessage->setAttribute(Qt::WA_DeleteOnClose, false);
  m_pErrorMessage->setObjectName(QStringLiteral("errorMessage"));
  m_pErrorMessage->open();
}

void CQUORINDlg::OnAbout() {
  // Not waited for, like the window's other notices, so the list keeps polling behind it.
  if (m_pAboutBox == nullptr) {
    m_pAboutBox = new QMessageBox(QMessageBox::Information, Local(CWindowTexts::kAboutCaption),
                                  QString::fromStdString(GetKestoAboutText()), QMessageBox::Ok, this);
    m_pAboutBox->setIconPixmap(ProgramIcon().pixmap(48, 48));
    m_pAboutBox->setObjectName(QStringLiteral("aboutBox"));
  }
  m_pAboutBox->open();
}
