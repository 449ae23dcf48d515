#include <gtest/gtest.h>

#include "platform/SocketLayer.h"

// Every test program opens real sockets; Windows needs its socket layer started
// first, as the programs under test start it in main.
namespace {

class SocketLayerEnvironment : public testing::Environment {
 public:
  void SetUp() override {
    m_bStarted = platform::StartSocketLayer();
    ASSERT_TRUE(m_bStarted) << "the socket layer did not start";
  }
  void TearDown() override {
    if (m_bStarted) platform::StopSocketLayer();
  }

 private:
  bool m_bStarted = false;
};

[[maybe_unused]] testing::Environment* const g_pSocketLayer =
    testing::AddGlobalTestEnvironment(new SocketLayerEnvironment);

}  // namespace
