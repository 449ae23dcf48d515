#include <gtest/gtest.h>

#include <cstdint>

#include "platform/MemoryRegistry.h"

namespace {

using platform::MemoryRegistry;
using platform::RegistryKey;
using platform::RegistryRoot;

TEST(MemoryRegistry, KeysMustExistBeforeTheyOpen) {
  MemoryRegistry registry;
  RegistryKey key = platform::kNoRegistryKey;
  EXPECT_FALSE(registry.OpenKey(RegistryRoot::kLocalMachine, "A\\B", &key));
  registry.CreateKey(RegistryRoot::kLocalMachine, "A\\B");
  EXPECT_FALSE(registry.OpenKey(RegistryRoot::kCurrentUser, "A\\B", &key));
  ASSERT_TRUE(registry.OpenKey(RegistryRoot::kLocalMachine, "A\\B", &key));
  EXPECT_EQ(registry.GetOpenKeyCount(), 1);
  registry.CloseKey(key);
  EXPECT_EQ(registry.GetOpenKeyCount(), 0);
  // A closed key no longer reads or writes.
  uint8_t by = 1;
  uint32_t dwSize = 1;
  EXPECT_FALSE(registry.WriteValue(key, "V", platform::kRegistryBinary, &by, 1));
  EXPECT_FALSE(registry.ReadValue(key, "V", nullptr, &by, &dwSize));
}

TEST(MemoryRegistry, ReadReportsLengthAndRefusesTooSmallBuffer) {
  MemoryRegistry registry;
  registry.SetValue(RegistryRoot::kLocalMachine, "K", "V", {platform::kRegistryBinary, {1, 2, 3, 4, 5}});
  RegistryKey key = platform::kNoRegistryKey;
  ASSERT_TRUE(registry.OpenKey(RegistryRoot::kLocalMachine, "K", &key));

  uint8_t byBuffer[8] = {};
  uint32_t dwType = 0;
  uint32_t dwSize = 4;
  EXPECT_FALSE(registry.ReadValue(key, "V", &dwType, byBuffer, &dwSize));
  EXPECT_EQ(dwSize, 5u);
  EXPECT_EQ(byBuffer[0], 0) << "a refused read copies nothing";

  dwSize = sizeof byBuffer;
  ASSERT_TRUE(registry.ReadValue(key, "V", &dwType, byBuffer, &dwSize));
  EXPECT_EQ(dwSize, 5u);
  EXPECT_EQ(dwType, platform::kRegistryBinary);
  EXPECT_EQ(byBuffer[4], 5);

  dwSize = sizeof byBuffer;
  EXPECT_FALSE(registry.ReadValue(key, "Missing", &dwType, byBuffer, &dwSize));

  const uint8_t byNew[2] = {9, 8};
  ASSERT_TRUE(registry.WriteValue(key, "V", platform::kRegistryBinary, byNew, 2));
  EXPECT_EQ(registry.FindValue(RegistryRoot::kLocalMachine, "K", "V")->byData, (std::vector<uint8_t>{9, 8}));
  EXPECT_EQ(registry.GetWriteCount(), 1);
  registry.CloseKey(key);
}

}  // namespace
