#include "plan/AddressAssignment.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>

#include "COMMON/ZNFail.h"

namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool Contains(std::string_view haystack, const std::string& sNeedle) {
  return std::search(haystack.begin(), haystack.end(), sNeedle.begin(), sNeedle.end(),
                     [](char a, char b) { return LowerAscii(a) == b; }) != haystack.end();
}

// Gives the devices, in order, the range's addresses that are not held.
bool AssignInOrder(const AddressAssignment& assignment, const std::vector<const KESTO_RECORD*>& matching,
                   const std::unordered_set<uint32_t>& held, DevicePlan* pPlan, std::string* psError) {
  DevicePlan plan;
  uint64_t qwNext = assignment.dwFirst;
  for (const KESTO_RECORD* pRecord : matching) {
    while (qwNext <= assignment.dwLast && held.count(static_cast<uint32_t>(qwNext)) > 0) ++qwNext;
    if (qwNext > assignment.dwLast)
      return Fail(psError, std::to_string(matching.size()) + " devices match, but " + FormatAddress(assignment.dwFirst) +
                               "-" + FormatAddress(assignment.dwLast) + " has only " +
                               std::to_string(plan.entries.size()) + " addresses no other device holds");
    PlanEntry entry;
    std::memcpy(entry.mac.data(), pRecord->byMAC, entry.mac.size());
    entry.request.dwIPAddress = static_cast<uint32_t>(qwNext++);
    entry.request.dwNetMask = assignment.dwNetMask;
    entry.request.dwGateway = assignment.dwGateway;
    entry.nRow = plan.entries.size() + 1;
    plan.entries.push_back(std::move(entry));
  }
  *pPlan = std::move(plan);
  return true;
}

}  // namespace

bool ParseAddressRange(std::string_view text, const std::optional<uint32_t>& dwNetMask, uint32_t* pdwFirst,
                       uint32_t* pdwLast, std::string* psError) {
  const size_t nDash = text.find('-');
  uint32_t dwFirst = 0, dwLast = 0;
  if (!ParseAddress(text.substr(0, nDash), &dwFirst))
    return Fail(psError, "\"" + std::string(text) + "\" is not FIRST or FIRST-LAST (dotted addresses)");
  if (nDash != std::string_view::npos) {
    if (!ParseAddress(text.substr(nDash + 1), &dwLast))
      return Fail(psError, "\"" + std::string(text.substr(nDash + 1)) + "\" is not an address");
  } else {
    const uint32_t dwMask = dwNetMask.value_or(0xFFFFFF00u);
    dwLast = (dwFirst | ~dwMask) - 1;  // the subnet's broadcast address is no device's
  }
  if (dwLast < dwFirst)
    return Fail(psError, "the range " + FormatAddress(dwFirst) + "-" + FormatAddress(dwLast) +
                             " is empty");
  *pdwFirst = dwFirst;
  *pdwLast = dwLast;
  return true;
}

bool ParseAssignOrder(std::string_view text, AssignOrder* pOrder) {
  if (text == "mac") *pOrder = AssignOrder::kMac;
  else if (text == "name") *pOrder = AssignOrder::kName;
  else if (text == "ip") *pOrder = AssignOrder::kIp;
  else if (text == "listed") *pOrder = AssignOrder::kListed;
  else return false;
  return true;
}

bool DeviceMatches(const KESTO_RECORD& record, std::string_view match) {
  while (!match.empty() && match.front() == ' ') match.remove_prefix(1);
  while (!match.empty() && match.back() == ' ') match.remove_suffix(1);
  if (match.empty()) return true;
  std::string sNeedle(match);
  std::transform(sNeedle.begin(), sNeedle.end(), sNeedle.begin(), LowerAscii);
  const std::string sMAC = FormatMAC(record.byMAC);
  std::string sBareMAC;
  for (char c : sMAC)
    if (c != '-') sBareMAC += c;
  return Contains(FieldText(record.szName, sizeof record.szName), sNeedle) || Contains(sMAC, sNeedle) ||
         Contains(sBareMAC, sNeedle) || Contains(FormatAddress(record.dwIPAddress), sNeedle) ||
         Contains(FieldText(record.szVersion, sizeof record.szVersion), sNeedle);
}

bool BuildAssignmentPlan(const AddressAssignment& assignment, const std::vector<KESTO_RECORD>& listed,
                         DevicePlan* pPlan, std::string* psError) {
  std::vector<const KESTO_RECORD*> matching;
  std::unordered_set<uint32_t> held;
  for (const KESTO_RECORD& record : listed) {
    if (DeviceMatches(record, assignment.sMatch)) matching.push_back(&record);
    else held.insert(record.dwIPAddress);
  }
  if (matching.empty())
    return Fail(psError, assignment.sMatch.empty() ? "no device answered"
                                                   : "no device that answered matches \"" + assignment.sMatch + "\"");
  auto macLess = [](const KESTO_RECORD* a, const KESTO_RECORD* b) {
    return std::memcmp(a->byMAC, b->byMAC, sizeof a->byMAC) < 0;
  };
  switch (assignment.order) {
    case AssignOrder::kMac:
      std::sort(matching.begin(), matching.end(), macLess);
      break;
    case AssignOrder::kName:
      std::sort(matching.begin(), matching.end(), [&](const KESTO_RECORD* a, const KESTO_RECORD* b) {
        const std::string sA = FieldText(a->szName, sizeof a->szName), sB = FieldText(b->szName, sizeof b->szName);
        return sA != sB ? sA < sB : macLess(a, b);
      });
      break;
    case AssignOrder::kIp:
      std::sort(matching.begin(), matching.end(), [&](const KESTO_RECORD* a, const KESTO_RECORD* b) {
        return a->dwIPAddress != b->dwIPAddress ? a->dwIPAddress < b->dwIPAddress : macLess(a, b);
      });
      break;
    case AssignOrder::kListed:
      break;
  }
  return AssignInOrder(assignment, matching, held, pPlan, psError);
}

bool BuildAssignmentPlanFor(const AddressAssignment& assignment, const std::vector<KESTO_RECORD>& chosen,
                            const std::vector<KESTO_RECORD>& listed, DevicePlan* pPlan, std::string* psError) {
  if (chosen.empty()) return Fail(psError, "no device chosen");
  std::unordered_set<uint64_t> chosenMACs;
  std::vector<const KESTO_RECORD*> order;
  for (const KESTO_RECORD& record : chosen)
    if (chosenMACs.insert(MacKey(record.byMAC)).second) order.push_back(&record);
  std::unordered_set<uint32_t> held;
  for (const KESTO_RECORD& record : listed)
    if (chosenMACs.count(MacKey(record.byMAC)) == 0) held.insert(record.dwIPAddress);
  return AssignInOrder(assignment, order, held, pPlan, psError);
}
