#ifndef KESTO_APP_LOGIC_QUORINPRESENTER_H
#define KESTO_APP_LOGIC_QUORINPRESENTER_H

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/logic/ConfigKestoModel.h"
#include "app/logic/DeviceListView.h"
#include "discovery/KestoFinder.h"
#include "discovery/KestoInfo.h"

// The main window without its widgets: the polling pass that keeps the device
// list in line with the finder's entries, the row copies the list shows, and
// the two commands on the selected row.
class CQUORINPresenter {
 public:
  // Runs the configuration dialog modally on the model; true when confirmed.
  using RunDialog = std::function<bool(CConfigKestoModel&)>;
  // Opens an address in the user's browser.
  using OpenUrl = std::function<void(const std::string&)>;

  CQUORINPresenter(CKestoFinder& finder, IDeviceListView& view, RunDialog fnRunDialog, OpenUrl fnOpenUrl);
  CQUORINPresenter(const CQUORINPresenter&) = delete;
  CQUORINPresenter& operator=(const CQUORINPresenter&) = delete;

  // One polling pass: the finder's Poll, the walk over its entries, RemoveAged.
  void PollDevices();
  // The pass while the configuration dialog is open: probes and answers only,
  // so the row copy being edited stays where it is.
  void PollWhileModal();

  // "Basic Config...": edit the selected row's copy and broadcast it.
  void OnBasicConfig();
  // "Lauch Configurator...": open the selected device's web page.
  void OnLaunchConfigurator();

  // The selected row's copy, or null.
  CKestoInfo* GetSelectedRecord();

  int GetRowCount() const { return static_cast<int>(m_rows.size()); }
  const CKestoInfo& GetRow(int iIndex) const { return *m_rows[iIndex].pCopy; }

  static DeviceRowTexts RowTexts(const CKestoInfo& info);
  static std::string ConfiguratorUrl(uint32_t dwIPAddress);

 private:
  // The index of the first row whose copy has the entry's MAC, or -1.
  int FindRowByMAC(const CKestoInfo& entry) const;
  void InsertRow(const CKestoInfo& entry);

  CKestoFinder& m_finder;
  IDeviceListView& m_view;
  RunDialog m_fnRunDialog;
  OpenUrl m_fnOpenUrl;
  struct Row {
    std::unique_ptr<CKestoInfo> pCopy;  // what the commands act on; "Basic Config..." edits it
    KESTO_RECORD shown;                 // the record the row's texts were drawn from
  };
  // Top row first; each row owns its copy.
  std::vector<Row> m_rows;
};

#endif
