#include "plan/PlanReader.h"

#include <unordered_map>
#include <unordered_set>

#include <nlohmann/json.hpp>

#include "formats/CsvText.h"
#include "plan/PlanCells.h"
#include "plan/PlanCsvRows.h"

namespace {

// A row never needs more cells than there are columns to name; beyond this the
// text cannot be a plan, and is refused before its cells fill memory.
constexpr size_t kMaxPlanColumns = 64;

std::string RowText(size_t nRow) { return "row " + std::to_string(nRow); }

void AddEntry(const PlanCells& cells, size_t nRow, DevicePlan* pPlan, std::vector<std::string>* pErrors) {
  PlanEntry entry;
  entry.nRow = nRow;
  std::string sError;
  if (PlanEntryFromCells(cells, &entry, &sError)) pPlan->entries.push_back(std::move(entry));
  else pErrors->push_back(RowText(nRow) + ": " + sError);
}

void ReadCsv(std::string_view text, DevicePlan* pPlan, std::vector<std::string>* pErrors) {
  CsvRows rows;
  std::string sError;
  if (!SplitCsvRows(text, kMaxPlanRows + 1, kMaxPlanColumns, &rows, &sError)) {
    pErrors->push_back(sError);
    return;
  }
  if (rows.empty()) {
    pErrors->push_back("the plan is empty; its first line names the columns (mac and the settings to change)");
    return;
  }
  const std::vector<std::string>& header = rows.front();
  bool bMac = false;
  std::unordered_set<std::string_view> seen;
  for (const std::string& sColumn : header) {
    const PlanColumn column = ClassifyPlanColumn(sColumn);
    if (column == PlanColumn::kUnknown)
      pErrors->push_back("row 1: unknown column \"" + sColumn +
                         "\"; settings are name, ip, netmask, gateway, dns, type, protocol, baud");
    bMac = bMac || column == PlanColumn::kMac;
    if (!seen.insert(sColumn).second) pErrors->push_back("row 1: column \"" + sColumn + "\" is given twice");
  }
  if (!bMac) pErrors->push_back("row 1: there is no \"mac\" column");
  if (!pErrors->empty()) return;
  for (size_t nRow = 2; nRow <= rows.size(); ++nRow) {
    const std::vector<std::string>& row = rows[nRow - 1];
    if (row.size() != header.size()) {
      pErrors->push_back(RowText(nRow) + ": " + std::to_string(row.size()) + " cells, but the header names " +
                         std::to_string(header.size()) + " columns");
      continue;
    }
    PlanCells cells;
    for (size_t i = 0; i < row.size(); ++i) cells.emplace_back(header[i], std::string(CsvTextFromCell(row[i])));
    AddEntry(cells, nRow, pPlan, pErrors);
  }
}

// A pass over the JSON before it is built: finds a key given twice in one object
// (the parser would let the last one win) and refuses what no plan holds (more
// than kMaxPlanRows devices, more than kMaxPlanColumns keys or values in one,
// deeper than kMaxJsonDepth) before it fills memory. The keys seen are kept per
// open object, so the pass is linear.
class PlanJsonShape : public nlohmann::json_sax<nlohmann::json> {
 public:
  bool null() override { return Value(); }
  bool boolean(bool) override { return Value(); }
  bool number_integer(number_integer_t) override { return Value(); }
  bool number_unsigned(number_unsigned_t) override { return Value(); }
  bool number_float(number_float_t, const string_t&) override { return Value(); }
  bool string(string_t&) override { return Value(); }
  bool binary(binary_t&) override { return Value(); }
  bool start_object(std::size_t) override { return Value() && Open(); }
  bool key(string_t& sKey) override {
    if (m_open.back().keys.insert(sKey).second) return true;
    return Refuse(": \"" + sKey + "\" is given twice");
  }
  bool end_object() override { return Close(); }
  bool start_array(std::size_t) override { return Value() && Open(); }
  bool end_array() override { return Close(); }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override { return false; }
  const std::string& Error() const { return m_sError; }

 private:
  static constexpr size_t kMaxJsonDepth = 8;
  struct Container {
    size_t nValues = 0;
    std::unordered_set<std::string> keys;
  };

  bool Value() {
    if (m_open.empty()) return true;
    if (m_open.size() == 1) {
      if (++m_nElement <= kMaxPlanRows) return true;
      m_sError = "more than " + std::to_string(kMaxPlanRows) + " devices; split the plan";
      return false;
    }
    if (++m_open.back().nValues <= kMaxPlanColumns) return true;
    return Refuse(": more than " + std::to_string(kMaxPlanColumns) + " values in one place");
  }
  bool Open() {
    if (m_open.size() >= kMaxJsonDepth) return Refuse(": nested more than " + std::to_string(kMaxJsonDepth) + " deep");
    m_open.emplace_back();
    return true;
  }
  bool Close() {
    m_open.pop_back();
    return true;
  }
  bool Refuse(const std::string& sWhat) {
    m_sError = RowText(m_nElement) + sWhat;
    return false;  // ends the pass
  }

  std::vector<Container> m_open;
  size_t m_nElement = 0;  // the top array's element being read, from 1
  std::string m_sError;
};

void ReadJson(std::string_view text, DevicePlan* pPlan, std::vector<std::string>* pErrors) {
  PlanJsonShape check;
  nlohmann::json::sax_parse(text.begin(), text.end(), &check);
  if (!check.Error().empty()) {
    pErrors->push_back(check.Error());
    return;
  }
  const nlohmann::json array = nlohmann::json::parse(text.begin(), text.end(), nullptr, false);
  if (array.is_discarded() || !array.is_array()) {
    pErrors->push_back("the JSON plan must be one array of device objects, as `kesto list --json` prints");
    return;
  }
  if (array.size() > kMaxPlanRows) {
    pErrors->push_back("more than " + std::to_string(kMaxPlanRows) + " devices; split the plan");
    return;
  }
  for (size_t i = 0; i < array.size(); ++i) {
    const nlohmann::json& object = array[i];
    if (!object.is_object()) {
      pErrors->push_back(RowText(i + 1) + ": not a JSON object");
      continue;
    }
    PlanCells cells;
    bool bValid = true;
    for (const auto& [sKey, value] : object.items()) {
      if (ClassifyPlanColumn(sKey) == PlanColumn::kReadOnly) continue;  // whatever the list says about it
      if (value.is_string()) cells.emplace_back(sKey, value.get<std::string>());
      else if (value.is_null()) cells.emplace_back(sKey, std::string());
      else if (value.is_number_integer()) cells.emplace_back(sKey, value.dump());
      else if (value.is_boolean()) cells.emplace_back(sKey, value.get<bool>() ? "true" : "false");
      else {
        pErrors->push_back(RowText(i + 1) + ": \"" + sKey + "\" must be a text, a whole number or null");
        bValid = false;
      }
    }
    if (bValid) AddEntry(cells, i + 1, pPlan, pErrors);
  }
}

}  // namespace

void CheckPlan(const DevicePlan& plan, bool bSharedIPs, std::vector<std::string>* pErrors) {
  std::unordered_map<uint64_t, size_t> rowByMAC;
  std::unordered_map<uint32_t, size_t> rowByIP;
  for (const PlanEntry& entry : plan.entries) {
    const auto [mac, bNewMAC] = rowByMAC.emplace(MacKey(entry.mac.data()), entry.nRow);
    if (!bNewMAC)
      pErrors->push_back(RowText(entry.nRow) + ": " + FormatMAC(entry.mac.data()) + " is already planned in " +
                         RowText(mac->second));
    const auto& ip = entry.request.dwIPAddress;
    if (!bSharedIPs || !bNewMAC || !ip || *ip == 0) continue;
    const auto [other, bNewIP] = rowByIP.emplace(*ip, entry.nRow);
    if (!bNewIP)
      pErrors->push_back(RowText(entry.nRow) + ": " + FormatAddress(*ip) + " is already given to the device of " +
                         RowText(other->second));
  }
}

bool ReadPlan(std::string_view text, DevicePlan* pPlan, std::vector<std::string>* pErrors) {
  std::vector<std::string> errors;
  DevicePlan plan;
  if (text.size() > kMaxPlanBytes) {
    errors.push_back("the plan is larger than " + std::to_string(kMaxPlanBytes) + " bytes");
  } else {
    std::string_view body = text;
    if (body.substr(0, 3) == "\xEF\xBB\xBF") body.remove_prefix(3);
    const size_t nFirst = body.find_first_not_of(" \t\r\n");
    if (nFirst != std::string_view::npos && (body[nFirst] == '[' || body[nFirst] == '{')) ReadJson(body, &plan, &errors);
    else ReadCsv(body, &plan, &errors);
  }
  // Addresses are judged against the site in the preview: one the devices already
  // share is no reason to refuse rows nobody edited.
  if (errors.empty()) CheckPlan(plan, false, &errors);
  if (errors.empty() && plan.entries.empty()) errors.push_back("the plan names no device");
  if (!errors.empty()) {
    *pErrors = std::move(errors);
    return false;
  }
  *pPlan = std::move(plan);
  return true;
}
