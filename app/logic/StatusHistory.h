#ifndef KESTO_APP_LOGIC_STATUSHISTORY_H
#define KESTO_APP_LOGIC_STATUSHISTORY_H

#include <cstddef>
#include <deque>
#include <string>

// The status line's recent messages, newest first, at most kMaxLines; the
// status line shows the newest and its tooltip all of them.
class CStatusHistory {
 public:
  static constexpr size_t kMaxLines = 20;

  // Keeps a non-empty text unless it repeats the newest; true when kept.
  bool Add(const std::string& sText);
  void Clear() { m_lines.clear(); }
  bool IsEmpty() const { return m_lines.empty(); }
  size_t GetCount() const { return m_lines.size(); }
  std::string Latest() const { return m_lines.empty() ? std::string() : m_lines.front(); }
  // Every kept line, newest first, one a line.
  std::string AllLines() const;

 private:
  std::deque<std::string> m_lines;
};

#endif
