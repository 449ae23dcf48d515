#ifndef KESTO_TESTS_WIN32_DIALOGTEMPLATE_H
#define KESTO_TESTS_WIN32_DIALOGTEMPLATE_H

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

// A dialog resource read back from the program's own resources, in either the
// classic or the extended layout, so tests see the very bits windres wrote.
struct DialogTemplate {
  struct Item {
    DWORD dwStyle = 0, dwExStyle = 0;
    int iId = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::string sClass, sTitle;
  };
  bool bExtended = false;
  DWORD dwStyle = 0, dwExStyle = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  std::string sTitle, sFont;
  int iPointSize = 0;
  std::vector<Item> items;
};

namespace dialog_template_detail {

class Reader {
 public:
  explicit Reader(const unsigned char* p) : m_pStart(p), m_p(p) {}
  WORD Word() {
    WORD w;
    std::memcpy(&w, m_p, 2);
    m_p += 2;
    return w;
  }
  DWORD Dword() {
    DWORD dw;
    std::memcpy(&dw, m_p, 4);
    m_p += 4;
    return dw;
  }
  short Short() { return static_cast<short>(Word()); }
  std::string Text() {  // 8-bit copy of a NUL-terminated UTF-16 string
    std::string s;
    for (WORD w = Word(); w != 0; w = Word()) s += static_cast<char>(w < 0x80 ? w : '?');
    return s;
  }
  // A name or an ordinal: empty, 0xFFFF then a number, or a string.
  std::string NameOrOrdinal() {
    WORD w;
    std::memcpy(&w, m_p, 2);
    if (w == 0) {
      m_p += 2;
      return {};
    }
    if (w == 0xFFFF) {
      m_p += 2;
      switch (const WORD wAtom = Word()) {
        case 0x80:
          return "Button";
        case 0x81:
          return "Edit";
        case 0x82:
          return "Static";
        case 0x83:
          return "ListBox";
        case 0x84:
          return "ScrollBar";
        case 0x85:
          return "ComboBox";
        default:
          return "#" + std::to_string(wAtom);
      }
    }
    return Text();
  }
  void Skip(size_t n) { m_p += n; }
  void AlignDword() {
    while ((m_p - m_pStart) % 4 != 0) ++m_p;
  }

 private:
  const unsigned char* m_pStart;
  const unsigned char* m_p;
};

}  // namespace dialog_template_detail

inline bool LoadDialogTemplate(int iResourceId, DialogTemplate* pOut) {
  HMODULE hModule = GetModuleHandleA(nullptr);
  HRSRC hInfo = FindResourceA(hModule, MAKEINTRESOURCEA(iResourceId), MAKEINTRESOURCEA(5) /* RT_DIALOG */);
  HGLOBAL hData = hInfo ? LoadResource(hModule, hInfo) : nullptr;
  const auto* pData = hData ? static_cast<const unsigned char*>(LockResource(hData)) : nullptr;
  if (pData == nullptr) return false;

  dialog_template_detail::Reader in(pData);
  DialogTemplate& dlg = *pOut;
  WORD wCount = 0;
  const WORD wVersion = in.Word();
  const WORD wSignature = in.Word();
  dlg.bExtended = wVersion == 1 && wSignature == 0xFFFF;
  if (dlg.bExtended) {
    in.Dword();  // help id
    dlg.dwExStyle = in.Dword();
    dlg.dwStyle = in.Dword();
  } else {
    dlg.dwStyle = static_cast<DWORD>(wVersion) | static_cast<DWORD>(wSignature) << 16;
    dlg.dwExStyle = in.Dword();
  }
  wCount = in.Word();
  dlg.x = in.Short();
  dlg.y = in.Short();
  dlg.cx = in.Short();
  dlg.cy = in.Short();
  in.NameOrOrdinal();  // menu
  in.NameOrOrdinal();  // class
  dlg.sTitle = in.Text();
  if (dlg.dwStyle & DS_SETFONT) {
    dlg.iPointSize = in.Word();
    if (dlg.bExtended) in.Skip(4);  // weight, italic, character set
    dlg.sFont = in.Text();
  }
  for (WORD i = 0; i < wCount; ++i) {
    in.AlignDword();
    DialogTemplate::Item item;
    if (dlg.bExtended) {
      in.Dword();  // help id
      item.dwExStyle = in.Dword();
      item.dwStyle = in.Dword();
    } else {
      item.dwStyle = in.Dword();
      item.dwExStyle = in.Dword();
    }
    item.x = in.Short();
    item.y = in.Short();
    item.cx = in.Short();
    item.cy = in.Short();
    item.iId = dlg.bExtended ? static_cast<int>(in.Dword()) : static_cast<short>(in.Word());
    item.sClass = in.NameOrOrdinal();
    item.sTitle = in.NameOrOrdinal();
    in.Skip(in.Word());  // creation data
    dlg.items.push_back(item);
  }
  return true;
}

#endif
