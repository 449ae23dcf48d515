#ifndef KESTO_TESTS_WIN32_DIALOGTEMPLATECHECK_H
#define KESTO_TESTS_WIN32_DIALOGTEMPLATECHECK_H

#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/win32/DialogTemplate.h"

// One control as the dialog template should make it: its id, window class,
// text, style bits in the template (style & dwMask must equal dwValue) and its
// place in dialog units.
struct WantedControl {
  int iId;
  const char* pszClass;
  const char* pszText;  // null: not compared (the control shows data)
  DWORD dwMask;
  DWORD dwValue;
  int x, y, cx, cy;
  bool bDropDown = false;  // on screen the height is the closed box's, so it is not compared there
  const char* pszShown = nullptr;  // the text on screen when the program changes the template's
};

inline std::string WindowText(HWND hWnd) {
  char szText[256] = {};
  GetWindowTextA(hWnd, szText, sizeof szText);
  return szText;
}

inline std::string ClassName(HWND hWnd) {
  char szClass[64] = {};
  GetClassNameA(hWnd, szClass, sizeof szClass);
  return szClass;
}

// Where the dialog manager puts a control: origin and size are converted each on
// their own, so the far edge is not the converted far edge.
inline RECT DialogUnitsToPixels(HWND hDialog, int x, int y, int cx, int cy) {
  RECT rect{x, y, cx, cy};
  MapDialogRect(hDialog, &rect);
  return RECT{rect.left, rect.top, rect.left + rect.right, rect.top + rect.bottom};
}

inline std::string FontFace(HWND hWnd) {
  LOGFONTA font{};
  auto hFont = reinterpret_cast<HFONT>(SendMessageA(hWnd, WM_GETFONT, 0, 0));
  if (hFont == nullptr || GetObjectA(hFont, sizeof font, &font) == 0) return {};
  return font.lfFaceName;
}

// The dialog's children, in creation order, which is the template's and the Tab order.
inline std::vector<HWND> Children(HWND hDialog) {
  std::vector<HWND> children;
  for (HWND hChild = GetWindow(hDialog, GW_CHILD); hChild != nullptr; hChild = GetWindow(hChild, GW_HWNDNEXT))
    children.push_back(hChild);
  return children;
}

inline bool SameText(const std::string& a, const char* b) { return lstrcmpiA(a.c_str(), b) == 0; }

// Compares the template in the resources and the controls the dialog manager
// made from it with the table: in order, and the only children when bOnly; the
// controls' places too unless bPlaces is false (a window that lays them out anew).
inline void ExpectControls(HWND hDialog, int iResourceId, const std::vector<WantedControl>& wanted,
                           bool bOnly = true, bool bPlaces = true) {
  DialogTemplate dlg;
  ASSERT_TRUE(LoadDialogTemplate(iResourceId, &dlg));
  ASSERT_EQ(dlg.items.size(), wanted.size());
  const std::vector<HWND> children = Children(hDialog);
  if (bOnly) {
    ASSERT_EQ(children.size(), wanted.size());
  }
  for (size_t i = 0; i < wanted.size(); ++i) {
    const WantedControl& want = wanted[i];
    const DialogTemplate::Item& item = dlg.items[i];
    HWND hControl = bOnly ? children[i] : GetDlgItem(hDialog, want.iId);
    ASSERT_NE(hControl, nullptr);
    SCOPED_TRACE("control " + std::to_string(i) + " (id " + std::to_string(want.iId) + ")");

    EXPECT_EQ(item.iId, want.iId);
    EXPECT_TRUE(SameText(item.sClass, want.pszClass)) << item.sClass;
    EXPECT_EQ(item.dwStyle & want.dwMask, want.dwValue) << std::hex << "template style 0x" << item.dwStyle;
    EXPECT_EQ(item.dwStyle & (WS_CHILD | WS_VISIBLE), static_cast<DWORD>(WS_CHILD | WS_VISIBLE));
    EXPECT_EQ(item.dwExStyle, 0u);
    EXPECT_EQ(item.x, want.x);
    EXPECT_EQ(item.y, want.y);
    EXPECT_EQ(item.cx, want.cx);
    EXPECT_EQ(item.cy, want.cy);

    EXPECT_EQ(static_cast<WORD>(GetDlgCtrlID(hControl)), static_cast<WORD>(want.iId));
    EXPECT_TRUE(SameText(ClassName(hControl), want.pszClass)) << ClassName(hControl);
    if (want.pszText != nullptr) {
      EXPECT_EQ(item.sTitle, want.pszText);
      EXPECT_EQ(WindowText(hControl), want.pszShown != nullptr ? want.pszShown : want.pszText);
    }
    EXPECT_TRUE(IsWindowVisible(hControl) || !IsWindowVisible(hDialog));
    if (!bPlaces) continue;

    RECT actual;
    GetWindowRect(hControl, &actual);
    MapWindowPoints(nullptr, hDialog, reinterpret_cast<POINT*>(&actual), 2);
    const RECT expected = DialogUnitsToPixels(hDialog, want.x, want.y, want.cx, want.cy);
    EXPECT_EQ(actual.left, expected.left);
    EXPECT_EQ(actual.top, expected.top);
    EXPECT_EQ(actual.right, expected.right);
    if (want.bDropDown) {
      EXPECT_LT(actual.bottom, expected.bottom);
    } else {
      EXPECT_EQ(actual.bottom, expected.bottom);
    }
  }
}

#endif
