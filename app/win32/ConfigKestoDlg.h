#ifndef KESTO_APP_WIN32_CONFIGKESTODLG_H
#define KESTO_APP_WIN32_CONFIGKESTODLG_H

#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/logic/ConfigAddressCheck.h"

class CConfigKestoModel;

// "Kesto Configuration" from dialog resource 138: shows a CConfigKestoModel and
// hands what the user chose back to it on "Set Configuration". It never touches
// the network or the record.
class CConfigKestoDlg {
 public:
  explicit CConfigKestoDlg(CConfigKestoModel& model);
  CConfigKestoDlg(const CConfigKestoDlg&) = delete;
  CConfigKestoDlg& operator=(const CConfigKestoDlg&) = delete;
  ~CConfigKestoDlg();

  // Creates the window modeless and shown; null when the template could not be loaded.
  HWND Create(HWND hOwner);

  // Called on every turn of the modal loop with the dialog up (tests drive it from here).
  using TurnHook = std::function<void(CConfigKestoDlg&)>;

  // Runs the dialog modally in the program's own polling loop, so the finder
  // keeps being polled while it is open; true when confirmed. The owner is
  // disabled meanwhile, as a dialog box's owner is.
  bool RunModal(HWND hOwner, const std::function<void()>& fnPass, const std::function<void(int)>& fnPause,
                const TurnHook& fnTurn = {});

  // Shows why a name was refused; a message box unless replaced (tests record it).
  using Explain = std::function<void(HWND hOwner, const std::string& sText)>;
  void SetExplain(Explain fnExplain) { m_fnExplain = std::move(fnExplain); }
  // Asks whether settings the address check refuses go out anyway (true: send); a
  // message box whose default answer is No, unless replaced.
  using Ask = std::function<bool(HWND hOwner, const std::string& sText)>;
  void SetAsk(Ask fnAsk) { m_fnAsk = std::move(fnAsk); }
  // The addresses of the other listed devices, for the check before sending.
  void SetOtherDevices(std::vector<CConfigAddressCheck::OtherDevice> others) { m_others = std::move(others); }

  HWND GetHwnd() const { return m_hWnd; }
  HWND GetItem(int iId) const { return GetDlgItem(m_hWnd, iId); }
  // "Set Configuration" or Cancel (button, close box, Esc) was chosen.
  bool IsFinished() const { return m_bFinished; }
  bool IsConfirmed() const { return m_bConfirmed; }

 private:
  static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
  void OnInitDialog();
  void OnSelchangeType();
  void OnSetConfiguration();
  void UpdatePassThrough();

  CConfigKestoModel& m_model;
  HWND m_hWnd = nullptr;
  bool m_bFinished = false;
  bool m_bConfirmed = false;
  Explain m_fnExplain;
  Ask m_fnAsk;
  std::vector<CConfigAddressCheck::OtherDevice> m_others;
  std::wstring m_sShownName;  // the name control's text as first shown
};

#endif
