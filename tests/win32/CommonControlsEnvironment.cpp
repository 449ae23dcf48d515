#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

// The program registers the list view, IP address and tooltip classes before making a
// window; the tests do the same once for the whole run.
namespace {

class CommonControlsEnvironment : public testing::Environment {
 public:
  void SetUp() override {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_INTERNET_CLASSES | ICC_BAR_CLASSES};
    ASSERT_TRUE(InitCommonControlsEx(&controls));
  }
};

[[maybe_unused]] testing::Environment* const g_pCommonControls =
    testing::AddGlobalTestEnvironment(new CommonControlsEnvironment);

}  // namespace
