#include "app/logic/MultiConfigForm.h"

#include "plan/AddressAssignment.h"
#include "plan/PlanCells.h"
#include "plan/PlanReader.h"

namespace {

// The type list's choices, as the plan's cells name them.
const char* const kTypeCells[] = {"master", "slave", "aprilaire", "passthrough"};
const char* const kProtocolCells[] = {"rs232", "rs485"};

std::string Trimmed(const std::string& sText) {
  const size_t nFirst = sText.find_first_not_of(' ');
  if (nFirst == std::string::npos) return {};
  return sText.substr(nFirst, sText.find_last_not_of(' ') - nFirst + 1);
}

// A blank field becomes no cell at all, so the plan leaves that setting alone.
void AddCell(PlanCells* pCells, const char* pszColumn, const std::string& sText) {
  if (!sText.empty()) pCells->emplace_back(pszColumn, sText);
}

bool ParseOptional(const std::string& sText, const char* pszField, std::optional<uint32_t>* pdwValue,
                   std::string* psError) {
  if (sText.empty()) return true;
  uint32_t dwValue = 0;
  if (!ParseAddress(sText, &dwValue)) {
    *psError = std::string(pszField) + ": \"" + sText + "\" is not an address (four numbers 0-255)";
    return false;
  }
  *pdwValue = dwValue;
  return true;
}

}  // namespace

CMultiConfigForm::CMultiConfigForm(std::vector<KESTO_RECORD> chosen, std::vector<KESTO_RECORD> listed)
    : m_chosen(std::move(chosen)), m_listed(std::move(listed)) {
  Rebuild();
}

const std::vector<std::string>& CMultiConfigForm::GetTypeItems() {
  static const std::vector<std::string> items = {"Master", "Slave", "Aprilaire", "Passthrough"};
  return items;
}

const std::vector<std::string>& CMultiConfigForm::GetProtocolItems() {
  static const std::vector<std::string> items = {"RS232", "RS485"};
  return items;
}

const std::vector<std::string>& CMultiConfigForm::GetBaudItems() {
  static const std::vector<std::string> items = [] {
    std::vector<std::string> rates;
    for (int32_t iRate : kDialogBaudRates) rates.push_back(std::to_string(iRate));
    return rates;
  }();
  return items;
}

void CMultiConfigForm::SetFields(const Fields& fields) {
  m_fields = fields;
  Rebuild();
}

void CMultiConfigForm::Rebuild() {
  m_preview = PlanPreview();
  m_bConfirmed = false;
  const Fields f{Trimmed(m_fields.sName), Trimmed(m_fields.sFirstIP), Trimmed(m_fields.sLastIP),
                 Trimmed(m_fields.sNetMask), Trimmed(m_fields.sGateway), Trimmed(m_fields.sDNS),
                 m_fields.iType, m_fields.iProtocol, m_fields.iBaud};
  std::string sError;
  // The addresses, in the list's order, skipping those other listed devices hold.
  std::vector<std::string> addresses(m_chosen.size());
  if (!f.sFirstIP.empty()) {
    AddressAssignment assignment;
    if (!ParseOptional(f.sNetMask, "Net Mask", &assignment.dwNetMask, &sError) ||
        !ParseAddressRange(f.sLastIP.empty() ? f.sFirstIP : f.sFirstIP + "-" + f.sLastIP, assignment.dwNetMask,
                           &assignment.dwFirst, &assignment.dwLast, &sError)) {
      if (sError.rfind("--assign-ip: ", 0) == 0) sError = "IP addresses: " + sError.substr(13);
      m_sProblem = sError;
      return;
    }
    DevicePlan assigned;
    if (!BuildAssignmentPlanFor(assignment, m_chosen, m_listed, &assigned, &sError)) {
      m_sProblem = "IP addresses: " + sError;
      return;
    }
    for (size_t i = 0; i < assigned.entries.size() && i < addresses.size(); ++i)
      addresses[i] = FormatAddress(*assigned.entries[i].request.dwIPAddress);
  } else if (!f.sLastIP.empty()) {
    m_sProblem = "IP addresses: give the first address of the range too";
    return;
  }

  // Each device's row as a plan file would give it, checked by the same rules.
  DevicePlan plan;
  for (size_t i = 0; i < m_chosen.size(); ++i) {
    PlanCells cells = {{"mac", FormatMAC(m_chosen[i].byMAC)}};
    AddCell(&cells, "name", f.sName);
    AddCell(&cells, "ip", addresses[i]);
    AddCell(&cells, "netmask", f.sNetMask);
    AddCell(&cells, "gateway", f.sGateway);
    AddCell(&cells, "dns", f.sDNS);
    if (f.iType >= 0 && f.iType < 4) cells.emplace_back("type", kTypeCells[f.iType]);
    if (f.iProtocol >= 0 && f.iProtocol < 2) cells.emplace_back("protocol", kProtocolCells[f.iProtocol]);
    if (f.iBaud >= 0 && f.iBaud < static_cast<int>(GetBaudItems().size()))
      cells.emplace_back("baud", GetBaudItems()[f.iBaud]);
    PlanEntry entry;
    entry.nRow = i + 1;
    if (!PlanEntryFromCells(cells, &entry, &sError)) {
      m_sProblem = sError;
      return;
    }
    plan.entries.push_back(std::move(entry));
  }
  std::vector<std::string> errors;
  CheckPlan(plan, true, &errors);
  m_preview = PreviewPlan(plan, m_listed);
  const std::vector<std::string> previewErrors = m_preview.Errors();
  errors.insert(errors.end(), previewErrors.begin(), previewErrors.end());
  if (!errors.empty()) {
    m_sProblem = errors.front();
    return;
  }
  // The address rule a single device's dialog applies, on what each device's addresses change.
  if (const std::vector<std::string> problems = m_preview.AddressProblems(); !problems.empty()) {
    m_sProblem = problems.front();
    return;
  }
  if (PlanMakesSharedIP(m_preview)) {
    m_sProblem = "The plan would give an address to more than one device";
    return;
  }
  m_sProblem = m_preview.CountChanged() == 0 ? "Nothing to change: fill in the settings the devices should take"
                                             : std::string();
}
