#include "app/logic/MultiConfigForm.h"

#include "plan/AddressAssignment.h"
#include "plan/AddressField.h"
#include "plan/PlanCells.h"
#include "plan/PlanReader.h"
#include "plan/SetRequest.h"

namespace {

// A list's items: the record rules' texts for the dialog's codes, in the dialog's order.
template <typename Codes, typename Text>
std::vector<std::string> Items(const Codes& codes, Text text) {
  std::vector<std::string> items;
  for (auto code : codes) items.emplace_back(text(code));
  return items;
}

std::string Trimmed(const std::string& sText) {
  const size_t nFirst = sText.find_first_not_of(' ');
  if (nFirst == std::string::npos) return {};
  return sText.substr(nFirst, sText.find_last_not_of(' ') - nFirst + 1);
}

// A blank field becomes no cell at all, so the plan leaves that setting alone.
void AddCell(PlanCells* pCells, const char* pszColumn, const std::string& sText) {
  if (!sText.empty()) pCells->emplace_back(pszColumn, sText);
}

}  // namespace

CMultiConfigForm::CMultiConfigForm(std::vector<KESTO_RECORD> chosen, std::vector<KESTO_RECORD> listed)
    : m_chosen(std::move(chosen)), m_listed(std::move(listed)) {
  Rebuild();
}

const std::vector<std::string>& CMultiConfigForm::GetTypeItems() {
  static const std::vector<std::string> items = Items(kDialogTypes, [](int8_t cType) { return TypeText(cType); });
  return items;
}

const std::vector<std::string>& CMultiConfigForm::GetProtocolItems() {
  static const std::vector<std::string> items = Items(kDialogProtocols, ProtocolText);
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
  m_bConfirmed = m_bSentAnyway = m_bMaySendAnyway = false;
  const Fields f{Trimmed(m_fields.sName), Trimmed(m_fields.sFirstIP), Trimmed(m_fields.sLastIP),
                 Trimmed(m_fields.sNetMask), Trimmed(m_fields.sGateway), Trimmed(m_fields.sDNS),
                 m_fields.iType, m_fields.iProtocol, m_fields.iBaud};
  std::string sError;
  // The addresses, in the list's order, skipping those other listed devices hold.
  std::vector<std::string> addresses(m_chosen.size());
  if (!f.sFirstIP.empty()) {
    AddressAssignment assignment;
    if (!ParseAddressField(f.sNetMask.empty() ? std::nullopt : std::optional(f.sNetMask), "Net Mask",
                           &assignment.dwNetMask, &m_sProblem))
      return;
    if (!ParseAddressRange(f.sLastIP.empty() ? f.sFirstIP : f.sFirstIP + "-" + f.sLastIP, assignment.dwNetMask,
                           &assignment.dwFirst, &assignment.dwLast, &sError)) {
      m_sProblem = "IP addresses: " + sError;
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
    // The plan's cells name a choice by its option word.
    if (f.iType >= 0 && f.iType < static_cast<int>(kDialogTypes.size()))
      cells.emplace_back("type", TypeOptionWord(kDialogTypes[f.iType]));
    if (f.iProtocol >= 0 && f.iProtocol < static_cast<int>(kDialogProtocols.size()))
      cells.emplace_back("protocol", ProtocolOptionWord(kDialogProtocols[f.iProtocol]));
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
  // Never sent, even on purpose: a shared address is what the address rule exists to avoid.
  if (PlanMakesSharedIP(m_preview)) {
    m_sProblem = "The plan would give an address to more than one device";
    return;
  }
  // The address rule a single device's dialog applies, on what each device's addresses change.
  if (const std::vector<std::string> problems = m_preview.AddressProblems(); !problems.empty()) {
    m_sProblem = problems.front();
    if (problems.size() > 1) m_sProblem += " (and " + std::to_string(problems.size() - 1) + " more)";
    m_bMaySendAnyway = true;
    return;
  }
  m_sProblem = m_preview.CountChanged() == 0 ? "Nothing to change: fill in the settings the devices should take"
                                             : std::string();
}
