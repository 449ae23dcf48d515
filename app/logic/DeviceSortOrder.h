#ifndef KESTO_APP_LOGIC_DEVICESORTORDER_H
#define KESTO_APP_LOGIC_DEVICESORTORDER_H

#include <cstdint>
#include <string>
#include <string_view>

// The device list's order: newest device first (the default), or by one
// column's sort key. A header click sorts by that column ascending, a second
// click descending, a third goes back to newest first.
class CDeviceSortOrder {
 public:
  bool IsNewestFirst() const { return m_iColumn < 0; }
  // -1 for newest first.
  int GetColumn() const { return m_iColumn; }
  bool IsAscending() const { return m_bAscending; }

  void Click(int iColumn);
  void SetNewestFirst() { m_iColumn = -1; }
  void Set(int iColumn, bool bAscending);

  // Whether row a stands above row b. nSeq counts rows in the order they came,
  // so equal keys (and newest first) put the newer row on top.
  bool Before(const std::string& sKeyA, uint64_t nSeqA, const std::string& sKeyB, uint64_t nSeqB) const;

  // "newest", "2 asc", "4 desc": the form kept in the settings. FromText
  // refuses anything else (or a column of iColumns or more) and keeps the order.
  std::string ToText() const;
  bool FromText(std::string_view text, int iColumns);

 private:
  int m_iColumn = -1;
  bool m_bAscending = true;
};

#endif
