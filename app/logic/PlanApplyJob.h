#ifndef KESTO_APP_LOGIC_PLANAPPLYJOB_H
#define KESTO_APP_LOGIC_PLANAPPLYJOB_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "discovery/KestoFinder.h"
#include "plan/ApplyReport.h"
#include "plan/PlanApplyDriver.h"
#include "plan/PlanPreview.h"

// A previewed plan being sent from the window: the command line's run (a
// bounded number of devices awaiting confirmation, each confirmed by its own
// answers) driven a step at a time from the window's passes, so the window
// never waits for a device.
class CPlanApplyJob {
 public:
  static constexpr size_t kParallel = 8;
  static constexpr uint32_t kWaitMs = 3000;

  explicit CPlanApplyJob(PlanPreview preview);

  // Sends and settles what is due; the MAC keys of the devices whose outcome
  // was settled are added to *pSettled.
  void Pump(CKestoFinder& finder, std::vector<uint64_t>* pSettled);
  // Sends nothing more (the window closes, the user stops it).
  void Stop();
  bool IsDone() const { return m_run.IsDone(); }
  size_t GetDoneCount() const { return m_run.DoneCount(); }
  size_t GetStepCount() const { return m_run.StepCount(); }

  // The planned devices' MAC keys.
  std::vector<uint64_t> Keys() const;
  // A device's line of the report, or null when it is not in the plan; a device
  // still waiting shows kNotSent and IsWaiting.
  const ReportLine* Find(uint64_t qwMacKey) const;
  bool IsWaiting(uint64_t qwMacKey) const;
  // The report so far, in plan order.
  const std::vector<ReportLine>& Report() const { return m_lines; }

 private:
  void Settle(size_t nStep, std::vector<uint64_t>* pSettled);

  PlanPreview m_preview;
  CPlanApplyDriver m_run;
  std::vector<size_t> m_lineOfStep;
  std::vector<bool> m_settled;
  std::vector<ReportLine> m_lines;
  std::unordered_map<uint64_t, size_t> m_lineByKey;
};

#endif
