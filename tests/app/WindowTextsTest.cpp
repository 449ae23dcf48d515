// What both main windows say, worded once in app/logic: captions, messages,
// the status line's reports, the adapter box, tooltips and the plan dialogs' texts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/logic/PlanPreviewTable.h"
#include "app/logic/TargetList.h"
#include "app/logic/WindowTexts.h"
#include "support/InterfaceBuilder.h"

namespace {

struct TextCase {
  const char* pszWhat;
  std::string sMade;
  std::string sExpected;
};

// A plan preview with nChanged devices to change, each with an address problem when bProblems,
// nShared addresses several devices would hold (taking their IP from the plan when bReaddressed).
PlanPreview MakePreview(size_t nChanged, bool bProblems = false, size_t nShared = 0, bool bReaddressed = false) {
  PlanPreview preview;
  for (size_t i = 0; i < nChanged; ++i) {
    PreviewDevice device;
    device.mac = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, static_cast<uint8_t>(i + 1)};
    device.bFound = true;
    device.changes.push_back({"gateway", "10.0.0.1", "10.9.0.1"});
    if (bReaddressed) device.change.dwIPAddress = 0x0A000063u;
    if (bProblems) device.sAddressProblem = "the gateway is outside its subnet";
    preview.devices.push_back(device);
  }
  for (size_t i = 0; i < nShared; ++i)
    preview.shared.push_back({0x0A000063u + static_cast<uint32_t>(i), {preview.devices[0].mac, preview.devices[1].mac}});
  return preview;
}

std::string Lines(const std::vector<std::string>& lines) {
  std::string sText;
  for (const std::string& sLine : lines) sText += "\n" + sLine;
  return sText;
}

}  // namespace

TEST(WindowTextsTest, EachTextAsTheWindowsShowIt) {
  const std::vector<platform::NetInterface> table = {MakeInterface("eth0", 0xC0A80105u, 0xFFFFFF00u),
                                                     MakeInterface("eth0", 0x0A000002u, 0xFF000000u),
                                                     MakeInterface("ppp0", 0x0A400001u, 0xFFFFFFFFu)};
  std::vector<std::string> errors;
  for (int i = 1; i <= 13; ++i) errors.push_back("line " + std::to_string(i) + ": bad");
  const TextCase cases[] = {
      {"caption", CWindowTexts::kCaption, "Tamrel Kesto Manager"},
      {"about caption", CWindowTexts::kAboutCaption, "About Tamrel Kesto Manager"},
      {"socket", CWindowTexts::SocketProblem("Operation not permitted"),
       "The network socket for finding devices could not be opened:\nOperation not permitted\n\n"
       "No devices will be listed."},
      {"one exported", CWindowTexts::Exported(1, "list.csv"), "Exported 1 device to list.csv"},
      {"none exported", CWindowTexts::Exported(0, "list.csv"), "Exported 0 devices to list.csv"},
      {"backed up", CWindowTexts::BackedUp(2, "b.json"), "Backed up 2 devices to b.json"},
      {"export name", CWindowTexts::ExportNameRefused("/tmp/list.txt"),
       "Choose a file name ending in .csv or .json:\n/tmp/list.txt"},
      {"not written", CWindowTexts::NotWritten("The backup", "/x/b.json", "No such file or directory"),
       "The backup could not be written to /x/b.json:\nNo such file or directory"},
      // Every address of the adapter with its prefix; one the table no longer holds is gone.
      {"two networks", CWindowTexts::AdapterChoice("eth0", table), "eth0  192.168.1.5/24, 10.0.0.2/8"},
      {"host route", CWindowTexts::AdapterChoice("ppp0", table), "ppp0  10.64.0.1/32"},
      {"gone", CWindowTexts::AdapterChoice("wlan0", table), "wlan0  (gone)"},
      {"basic config, none", CWindowTexts::BasicConfigTip(0), "Select a device in the list first (Ctrl or Shift for several)"},
      {"basic config, one", CWindowTexts::BasicConfigTip(1), "Changes the selected device's settings"},
      {"basic config, many", CWindowTexts::BasicConfigTip(3), "Gives the 3 selected devices the same settings at once"},
      {"launch, none", CWindowTexts::LaunchTip(0), "Select a device in the list first"},
      {"launch, one", CWindowTexts::LaunchTip(1), "Opens the selected device's web page"},
      {"launch, many", CWindowTexts::LaunchTip(2), "Opens one device's web page: select only one"},
      {"newest first, sorted", CWindowTexts::NewestFirstTip(false), "Lists the newest device first, the order before any sort"},
      {"newest first, already", CWindowTexts::NewestFirstTip(true), "The list is already newest first"},
      {"adapter box", CWindowTexts::AdapterTip(true), "The network adapter the broadcasts go out of"},
      {"adapter box, one host", CWindowTexts::AdapterTip(false), "Probing one host only (KESTO_TARGET)"},
      {"targets", CWindowTexts::TargetsTip(true), "Addresses probed one at a time besides the broadcasts"},
      {"targets, one host", CWindowTexts::TargetsTip(false), "Probing one host only (KESTO_TARGET)"},
      // The targets input: the prompt, after why the last text was refused.
      {"prompt", CTargetList::PromptText(""), "Address or range to probe (A.B.C.D or A.B.C.D/prefix):"},
      {"prompt again", CTargetList::PromptText("bad prefix"),
       "bad prefix\nAddress or range to probe (A.B.C.D or A.B.C.D/prefix):"},
      {"remove", CTargetList::RemoveText("10.0.0.0/24"), "Remove 10.0.0.0/24"},
      {"form caption", CWindowTexts::MultiConfigCaption(3), "Kesto Configuration: 3 devices"},
      {"form intro", CWindowTexts::MultiConfigIntro(2),
       "Settings for the 2 selected devices. A field left blank stays as it is on each device."},
      {"plan intro", CPlanPreviewTable::IntroText("plan.csv"),
       "plan.csv against the devices listed now (nothing is sent until you apply it):"},
      {"plan not sent", CWindowTexts::PlanNotSent("no device answered"), "The plan was not sent: no device answered"},
      // The plan dialogs: the button, a refused file's problems (the first 12), the summary's warnings (5 of each).
      {"apply, nothing", CPlanPreviewTable::ApplyText(MakePreview(0)), "&Apply"},
      {"apply, one", CPlanPreviewTable::ApplyText(MakePreview(1)), "&Apply to 1 device"},
      {"apply, anyway", CPlanPreviewTable::ApplyText(MakePreview(3, true), true), "&Send anyway to 3 devices"},
      {"refused plan", CPlanPreviewTable::RefusalText("plan.csv", errors),
       "The plan plan.csv was refused; nothing was sent:\n" +
           Lines(std::vector<std::string>(errors.begin(), errors.begin() + 12)) + "\n(and 1 more problems)"},
      {"summary, clean", CPlanPreviewTable::SummaryWithWarnings(MakePreview(2)), "2 devices to change."},
      {"summary, problems", CPlanPreviewTable::SummaryWithWarnings(MakePreview(6, true)),
       "6 devices to change.\nWarning: 00-1A-2B-3C-4D-01: the gateway is outside its subnet"
       "\nWarning: 00-1A-2B-3C-4D-02: the gateway is outside its subnet"
       "\nWarning: 00-1A-2B-3C-4D-03: the gateway is outside its subnet"
       "\nWarning: 00-1A-2B-3C-4D-04: the gateway is outside its subnet"
       "\nWarning: 00-1A-2B-3C-4D-05: the gateway is outside its subnet\n(and 1 more address problems)"},
      {"summary, shared and refused", CPlanPreviewTable::SummaryWithWarnings(MakePreview(2, false, 6, true)),
       "2 devices to change.\nWarning: 10.0.0.99 would be held by 00-1A-2B-3C-4D-01, 00-1A-2B-3C-4D-02"
       "\nWarning: 10.0.0.100 would be held by 00-1A-2B-3C-4D-01, 00-1A-2B-3C-4D-02"
       "\nWarning: 10.0.0.101 would be held by 00-1A-2B-3C-4D-01, 00-1A-2B-3C-4D-02"
       "\nWarning: 10.0.0.102 would be held by 00-1A-2B-3C-4D-01, 00-1A-2B-3C-4D-02"
       "\nWarning: 10.0.0.103 would be held by 00-1A-2B-3C-4D-01, 00-1A-2B-3C-4D-02"
       "\n(and 1 more shared addresses)"
       "\nThe plan would give an address to more than one device: it cannot be applied."},
  };
  for (const TextCase& test : cases) EXPECT_EQ(test.sMade, test.sExpected) << test.pszWhat;
}
