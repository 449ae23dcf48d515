#ifndef KESTO_APP_LOGIC_QUORINPRESENTER_H
#define KESTO_APP_LOGIC_QUORINPRESENTER_H

#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "app/logic/ApplyTracker.h"
#include "app/logic/ConfigKestoModel.h"
#include "app/logic/DeviceFilter.h"
#include "app/logic/DeviceListView.h"
#include "tools/formats/ListedDevice.h"
#include "discovery/KestoAddressCheck.h"
#include "discovery/KestoDestinations.h"
#include "discovery/KestoFinder.h"
#include "discovery/KestoInfo.h"
#include "platform/InterfaceTable.h"

// The main window without its widgets: the polling pass that keeps the device
// list in line with the finder's entries, the row copies the list shows, the
// filter, the two commands on the selected row and what became of the settings
// they sent.
class CQUORINPresenter {
 public:
  // Runs the configuration dialog modally on the model; true when confirmed.
  using RunDialog = std::function<bool(CConfigKestoModel&)>;
  // Opens an address in the user's browser.
  using OpenUrl = std::function<void(const std::string&)>;
  // Reads this computer's interface table; false when it cannot be read.
  using ReadInterfaces = std::function<bool(std::vector<platform::NetInterface>*)>;

  // The interface table is read at the first pass and then at most this often.
  static constexpr uint32_t kInterfaceReadMs = 5000;
  static constexpr const char* kUnreachableText = "not reachable from this computer: its web page may not open";

  CQUORINPresenter(CKestoFinder& finder, IDeviceListView& view, RunDialog fnRunDialog, OpenUrl fnOpenUrl,
                   ReadInterfaces fnReadInterfaces = platform::ReadInterfaces);
  CQUORINPresenter(const CQUORINPresenter&) = delete;
  CQUORINPresenter& operator=(const CQUORINPresenter&) = delete;

  // One polling pass: the finder's Poll, the walk over its entries, RemoveAged,
  // then the follow-up of sent settings and the rows' marks.
  void PollDevices();
  // The pass while the configuration dialog is open: probes and answers only,
  // so the row copy being edited stays where it is.
  void PollWhileModal();

  // "Basic Config...": edit the selected row's copy and broadcast it.
  void OnBasicConfig();
  // "Lauch Configurator...": open the selected device's web page.
  void OnLaunchConfigurator();

  // The filter box: shows only the matching rows; every row is kept.
  void SetFilterText(std::string_view text);

  // The selected row's copy, or null; a row the filter hides counts as not selected.
  CKestoInfo* GetSelectedRecord();

  // Every row, shown or not, top first. GetRow walks the rows: for tests and tools.
  int GetRowCount() const { return static_cast<int>(m_rows.size()); }
  const CKestoInfo& GetRow(int iIndex) const;
  int GetShownRowCount() const;

  // What the export writes: the rows the filter shows, with the records they show
  // (the devices' last answers, not unsent edits) and their flags, in the order
  // the devices were found, oldest first, as `kesto list` prints them.
  std::vector<ListedDevice> ShownDevices() const;

  // The adapter box: the usable adapters of the last table read (and the chosen
  // one, even while it is gone); "" chooses every adapter.
  const std::string& GetSelectedAdapter() const { return m_sAdapter; }
  void SelectAdapter(const std::string& sName);
  // "Add target...": A.B.C.D or A.B.C.D/prefix, probed one address at a time
  // besides the broadcasts; false with the reason when the text is refused.
  bool AddTarget(const std::string& sText, std::string* psError);
  void ClearTargets();
  // Whether the finder may be pointed elsewhere: not while it probes one explicit
  // host (KESTO_TARGET), which stays the only destination.
  bool CanChooseDestinations() const;

  const CApplyTracker& GetApplyTracker() const { return m_apply; }
  // "Clear status history": forgets what became of sent settings.
  void ClearApplyOutcomes();
  // The interface table as last read, and whether that read succeeded.
  const std::vector<platform::NetInterface>& GetInterfaces() const { return m_vecInterfaces; }
  bool AreInterfacesKnown() const { return m_bInterfacesKnown; }
  // The tooltip the row of this device carries, or empty.
  std::string GetRowToolTip(const KESTO_RECORD& record) const;

  static DeviceRowTexts RowTexts(const CKestoInfo& info);
  static std::string ConfiguratorUrl(uint32_t dwIPAddress);

 private:
  struct Row {
    DeviceRowKey key;
    std::unique_ptr<CKestoInfo> pCopy;  // what the commands act on; "Basic Config..." edits it
    KESTO_RECORD shown;                 // the record the row's texts were drawn from
    DeviceRowTexts texts;               // what the filter matches against
    bool bShown = true;
    // The marks last handed to the view.
    bool bDuplicateIP = false;
    bool bUnreachable = false;
    std::string sToolTip;
  };
  using RowList = std::list<Row>;

  Row* FindRow(const CKestoInfo& entry);
  void InsertRow(const CKestoInfo& entry);
  void DeleteRow(Row* pRow);
  void ApplyFilter(Row& row);
  // Reads the interface table when it is due; true when what it says changed.
  bool RefreshInterfaces(uint32_t dwNow);
  void UpdateAdapterNames();
  // Subnets are judged only from a readable table and only when the finder
  // broadcasts: a single explicit host says nothing about this computer's networks.
  bool CanJudgeSubnets() const { return m_bInterfacesKnown && CanChooseDestinations(); }
  // Recomputes every row's flags and tooltip; the view hears only of changes.
  void RefreshMarks();
  std::string ToolTipFor(const Row& row) const;

  CKestoFinder& m_finder;
  IDeviceListView& m_view;
  RunDialog m_fnRunDialog;
  OpenUrl m_fnOpenUrl;
  ReadInterfaces m_fnReadInterfaces;
  CDeviceFilter m_filter;
  CApplyTracker m_apply;
  CKestoAddressCheck m_check;
  std::vector<platform::NetInterface> m_vecInterfaces;
  bool m_bInterfacesKnown = false;  // the last read succeeded
  bool m_bInterfacesTried = false;
  uint32_t m_dwInterfacesRead = 0;
  std::vector<std::string> m_vecAdapters;
  std::string m_sAdapter;
  // Top row first; each row owns its copy. The index finds a row by MAC in one step.
  RowList m_rows;
  std::unordered_map<DeviceRowKey, RowList::iterator> m_rowByKey;
  std::string m_sStatus;
};

#endif
