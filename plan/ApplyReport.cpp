#include "plan/ApplyReport.h"

#include <algorithm>

#include "formats/TerminalText.h"

namespace {

std::string ResultText(const ReportLine& line) {
  std::string sText = DeviceOutcomeText(line.outcome);
  if (!line.sReason.empty()) sText += ": " + TerminalText(line.sReason);
  return sText;
}

// Terminal columns: a UTF-8 text counts its lead bytes only.
size_t Width(const std::string& sText) {
  return static_cast<size_t>(std::count_if(sText.begin(), sText.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

}  // namespace

void SettleLine(const CPlanApplyDriver& run, size_t nStep, ReportLine* pLine) {
  pLine->outcome = run.Outcome(nStep);
  pLine->sReason = run.Reason(nStep);
  if (pLine->outcome == DeviceOutcome::kConfirmed) {
    const KESTO_RECORD& sent = run.Step(nStep).Sent();
    pLine->sName = FieldText(sent.szName, sizeof sent.szName);
  }
}

std::vector<ReportLine> ReportLines(const PlanPreview& preview, const CPlanApplyDriver* pRun) {
  std::vector<ReportLine> lines;
  size_t nStep = 0;
  for (const PreviewDevice& device : preview.devices) {
    ReportLine line;
    line.mac = device.mac;
    if (!device.bFound) {
      line.outcome = DeviceOutcome::kNotFound;
    } else {
      line.sName = FieldText(device.current.szName, sizeof device.current.szName);
      if (!device.HasChanges()) {
        line.outcome = DeviceOutcome::kUnchanged;
      } else {
        if (pRun != nullptr) SettleLine(*pRun, nStep, &line);
        ++nStep;
      }
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

size_t CountOutcome(const std::vector<ReportLine>& lines, DeviceOutcome outcome) {
  return static_cast<size_t>(
      std::count_if(lines.begin(), lines.end(), [&](const ReportLine& line) { return line.outcome == outcome; }));
}

std::string FormatReport(const std::vector<ReportLine>& lines) {
  std::vector<std::string> names;
  size_t nNameWidth = 4;
  for (const ReportLine& line : lines) {
    names.push_back(TerminalText(line.sName));
    nNameWidth = std::max(nNameWidth, Width(names.back()));
  }
  auto row = [&](const std::string& sMAC, const std::string& sName, const std::string& sResult) {
    return sMAC + std::string(19 - sMAC.size(), ' ') + sName + std::string(nNameWidth - Width(sName) + 2, ' ') +
           sResult + "\n";
  };
  std::string sText = row("MAC Address", "Name", "Result");
  for (size_t i = 0; i < lines.size(); ++i) sText += row(FormatMAC(lines[i].mac.data()), names[i], ResultText(lines[i]));
  std::string sCounts;
  for (DeviceOutcome outcome : {DeviceOutcome::kConfirmed, DeviceOutcome::kUnchanged, DeviceOutcome::kNotConfirmed,
                                DeviceOutcome::kNotFound, DeviceOutcome::kNotSent, DeviceOutcome::kRefused}) {
    const size_t n = CountOutcome(lines, outcome);
    if (n > 0) sCounts += (sCounts.empty() ? "" : ", ") + std::to_string(n) + " " + DeviceOutcomeText(outcome);
  }
  return sText + std::to_string(lines.size()) + (lines.size() == 1 ? " device: " : " devices: ") +
         (sCounts.empty() ? "none" : sCounts) + "\n";
}

DeviceJson ReportToJson(const std::vector<ReportLine>& lines) {
  DeviceJson array = DeviceJson::array();
  for (const ReportLine& line : lines) {
    DeviceJson object = {{"mac", FormatMAC(line.mac.data())},
                         {"name", Latin1ToUtf8(line.sName)},
                         {"result", DeviceOutcomeText(line.outcome)}};
    if (!line.sReason.empty()) object["reason"] = line.sReason;
    array.push_back(std::move(object));
  }
  return array;
}
