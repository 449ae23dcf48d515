#ifndef KESTO_APP_LOGIC_MULTICONFIGFORM_H
#define KESTO_APP_LOGIC_MULTICONFIGFORM_H

#include <string>
#include <vector>

#include "discovery/KestoRecord.h"
#include "plan/PlanPreview.h"

// "Basic Config..." for several selected devices, without widgets: the fields
// the user fills in (a blank one leaves that setting as each device has it),
// turned into a plan the way a plan file is read, and its preview against the
// devices' answers. Nothing is sent from here: the presenter runs the preview.
class CMultiConfigForm {
 public:
  // Indexes into the lists below; kUnchanged leaves the setting alone.
  static constexpr int kUnchanged = -1;

  struct Fields {
    std::string sName;  // UTF-8, as typed
    std::string sFirstIP;  // "IP addresses from ... to ...": given to the devices in the list's order
    std::string sLastIP;   // blank: up to the end of the first address's subnet
    std::string sNetMask;
    std::string sGateway;
    std::string sDNS;
    int iType = kUnchanged;
    int iProtocol = kUnchanged;
    int iBaud = kUnchanged;
  };

  // chosen: the selected devices, top row first as the list shows them now;
  // listed: every listed device, whose addresses the assignment skips and the
  // preview's shared-address check counts.
  CMultiConfigForm(std::vector<KESTO_RECORD> chosen, std::vector<KESTO_RECORD> listed);

  static const std::vector<std::string>& GetTypeItems();
  static const std::vector<std::string>& GetProtocolItems();
  static const std::vector<std::string>& GetBaudItems();

  size_t GetDeviceCount() const { return m_chosen.size(); }
  const Fields& GetFields() const { return m_fields; }
  // Takes the fields and works out the plan and its preview again.
  void SetFields(const Fields& fields);

  // Why the plan cannot be sent as it stands (a bad field, too few free addresses,
  // an address that would be shared, nothing to change, or addresses the address
  // rule refuses); empty when it can.
  const std::string& GetProblem() const { return m_sProblem; }
  bool CanApply() const { return m_sProblem.empty(); }
  // The only problem is the address rule's: the user may send it anyway.
  bool MaySendAnyway() const { return m_bMaySendAnyway; }
  // Meaningful when the fields were read: the devices' old and new values.
  const PlanPreview& GetPreview() const { return m_preview; }

  // "Apply" confirms a plan that can be sent; "Send anyway" (bAnyway) also one that
  // only the address rule refuses.
  void Confirm(bool bAnyway = false) {
    m_bSentAnyway = bAnyway && m_bMaySendAnyway;
    m_bConfirmed = CanApply() || m_bSentAnyway;
  }
  bool IsConfirmed() const { return m_bConfirmed; }
  bool IsSentAnyway() const { return m_bConfirmed && m_bSentAnyway; }

 private:
  void Rebuild();

  std::vector<KESTO_RECORD> m_chosen;
  std::vector<KESTO_RECORD> m_listed;
  Fields m_fields;
  PlanPreview m_preview;
  std::string m_sProblem;
  bool m_bMaySendAnyway = false;
  bool m_bConfirmed = false;
  bool m_bSentAnyway = false;
};

#endif
