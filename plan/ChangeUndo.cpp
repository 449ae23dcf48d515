#include "plan/ChangeUndo.h"

#include "formats/TerminalText.h"
#include "plan/UtcTimeText.h"

CKestoSettingsChange UndoRequest(const LoggedChange& change) {
  const CKestoSettingsChange before = CKestoSettingsChange::AllOf(change.send.old);
  const CKestoSettingsChange after = CKestoSettingsChange::AllOf(change.send.sent);
  CKestoSettingsChange request;
  auto back = [](const auto& field, const auto& sentField, auto* pRequestField) {
    if (field != sentField) *pRequestField = field;
  };
  back(before.sName, after.sName, &request.sName);
  back(before.dwIPAddress, after.dwIPAddress, &request.dwIPAddress);
  back(before.dwNetMask, after.dwNetMask, &request.dwNetMask);
  back(before.dwGateway, after.dwGateway, &request.dwGateway);
  back(before.dwDNS, after.dwDNS, &request.dwDNS);
  back(before.cType, after.cType, &request.cType);
  back(before.shProtocol, after.shProtocol, &request.shProtocol);
  back(before.wBaudRate, after.wBaudRate, &request.wBaudRate);
  return request;
}

std::vector<std::string> UndoFieldTexts(const LoggedChange& change) {
  return ChangedFieldTexts(change.send.sent, change.send.old);
}

std::string ChangeSummary(const LoggedChange& change) {
  return FormatUtcMs(change.send.llTimeMs) + " " + TerminalText(change.send.sBy) + " (" + change.OutcomeText() + ")";
}
