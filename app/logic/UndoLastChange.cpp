#include "app/logic/UndoLastChange.h"

#include <cstring>

#include "formats/TerminalText.h"
#include "plan/ChangeUndo.h"

CUndoLastChange CUndoLastChange::ForDevice(const CChangeHistory& history, const uint8_t byMAC[6]) {
  CUndoLastChange undo;
  const LoggedChange* pChange = history.Latest(byMAC);
  if (pChange == nullptr) {
    undo.m_sReason = kNoChangeText;
    return undo;
  }
  undo.m_change = *pChange;
  undo.m_request = UndoRequest(*pChange);
  if (pChange->outcome == ChangeOutcome::kNotSent) {
    undo.m_sReason = "The last change of this device was never sent.";
  } else if (undo.m_request.IsEmpty()) {
    undo.m_sReason = "The last change of this device altered no setting.";
  } else {
    undo.m_bAvailable = true;
  }
  return undo;
}

std::string CUndoLastChange::PreviewText() const {
  const KESTO_RECORD& sent = m_change.send.sent;
  const std::string sName = TerminalText(FieldText(sent.szName, sizeof sent.szName));
  std::string sText = "Send back to " + (sName.empty() ? std::string() : "\"" + sName + "\" ") + "(" +
                      FormatMAC(sent.byMAC) + ") what its last change altered (" + ChangeSummary(m_change) + "):\n";
  for (const std::string& sField : UndoFieldTexts(m_change)) sText += "\n    " + sField;
  if (!m_change.TookEffect())
    sText += std::string("\n\n") + (m_change.outcome ? "That change was " + m_change.OutcomeText()
                                                       : std::string("The outcome of that change is unknown")) +
             ": the device may never have taken it.";
  return sText;
}

std::vector<std::string> CUndoLastChange::HistoryLines(const CChangeHistory& history, const uint8_t byMAC[6]) {
  std::vector<std::string> lines;
  size_t nMore = 0;
  for (const LoggedChange& change : history.Changes()) {
    if (std::memcmp(change.send.mac.data(), byMAC, 6) != 0) continue;
    if (lines.size() == kHistoryLines) {
      ++nMore;
      continue;
    }
    std::string sFields;
    for (const std::string& sField : ChangedFieldTexts(change.send.old, change.send.sent))
      sFields += (sFields.empty() ? "" : ", ") + sField;
    lines.push_back(ChangeSummary(change) + ": " + (sFields.empty() ? "no field changed" : sFields));
  }
  if (nMore > 0) lines.push_back("(+" + std::to_string(nMore) + " older changes)");
  if (history.DamagedCount() > 0)
    lines.push_back("(" + std::to_string(history.DamagedCount()) + " damaged lines of the log skipped)");
  return lines;
}
