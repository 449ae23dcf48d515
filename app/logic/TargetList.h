#ifndef KESTO_APP_LOGIC_TARGETLIST_H
#define KESTO_APP_LOGIC_TARGETLIST_H

#include <cstddef>
#include <string>
#include <vector>

class CQUORINPresenter;

// The Targets menu's list: the texts the user added, in order, each probed by
// the presenter besides the broadcasts. A text is trimmed, and added once.
class CTargetList {
 public:
  static constexpr const char* kNoTargets = "No targets: broadcasts only";
  static constexpr const char* kAddCommand = "&Add target...";
  static constexpr const char* kClearCommand = "&Clear targets";
  static constexpr const char* kInputCaption = "Add target";
  // The input's prompt, after the reason the last text was refused for, if any.
  static std::string PromptText(const std::string& sReason);

  explicit CTargetList(CQUORINPresenter& presenter) : m_presenter(presenter) {}

  // False with the reason when the presenter refuses the text; a text already listed is accepted as it is.
  bool Add(const std::string& sText, std::string* psError);
  void Remove(size_t nIndex);
  void Clear();
  const std::vector<std::string>& Get() const { return m_targets; }
  // Nothing would be probed: the adapters are known, none of them can broadcast
  // (bNoUsableAdapter) and no target is listed; never with one explicit host.
  bool LeavesNothingToProbe(bool bNoUsableAdapter) const;
  // "Remove 10.0.0.0/24".
  static std::string RemoveText(const std::string& sTarget) { return "Remove " + sTarget; }

 private:
  CQUORINPresenter& m_presenter;
  std::vector<std::string> m_targets;
};

#endif
