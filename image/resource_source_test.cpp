#include "image/resource_source.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/base/file_io.h"
#include "platform/win32/module.h"

namespace ossen {
namespace {

class ResourceSourceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::vector<std::uint8_t> image;
    ASSERT_EQ(ReadFileBytes(OSSEN_TEST_LIBRARY, kMaxModuleFileBytes, image), ReadResult::kOk);
    module_ = LoadModuleFromImage(std::move(image));
    ASSERT_NE(module_, nullptr);
  }
  void TearDown() override { FreeLibrary(module_); }

  HMODULE module_ = nullptr;
};

TEST_F(ResourceSourceTest, AFoundResourceIsItsBytesReadOnlyAndUncounted) {
  ResourceSource source(module_, "A12P", "BIN");
  HRSRC found = FindResource(module_, "A12P", "BIN");
  EXPECT_EQ(source.kind, DataSource::kResource);
  EXPECT_EQ(source.size, 22u);
  EXPECT_EQ(source.data, LockResource(LoadResource(module_, found)));  // not a copy
  EXPECT_EQ(std::memcmp(source.data, "BIN resource bytes\0\x01\x02\xff", 22), 0);
  EXPECT_EQ(source.readOnly, 1);
  EXPECT_EQ(source.lockCount, 0);
  EXPECT_EQ(source.handle, reinterpret_cast<std::uintptr_t>(found));

  // Lock and Unlock do nothing, not even count.
  std::uint8_t* before = source.data;
  source.Lock();
  source.Lock();
  source.Unlock();
  EXPECT_EQ(source.lockCount, 0);
  EXPECT_EQ(source.data, before);
}

TEST_F(ResourceSourceTest, IntegerIdsAndEmptyResourcesWork) {
  ResourceSource icon(module_, 128, RT_ICON);
  EXPECT_EQ(icon.kind, DataSource::kResource);
  EXPECT_EQ(icon.size, 768u);
  ASSERT_NE(icon.data, nullptr);
  EXPECT_EQ(icon.data[255], 255);

  ResourceSource empty(module_, "EMPTY", "BIN");
  EXPECT_EQ(empty.kind, DataSource::kResource);
  EXPECT_EQ(empty.size, 0u);
}

TEST_F(ResourceSourceTest, AMissingResourceLeavesAnUnusableReadOnlySource) {
  for (const auto& [name, type] : {std::pair<ResourceId, ResourceId>{"A13P", "BIN"},
                                   {"A12P", RT_BITMAP}, {"", "BIN"}}) {
    ResourceSource source(module_, name, type);
    EXPECT_EQ(source.kind, DataSource::kUnusable);
    EXPECT_EQ(source.data, nullptr);
    EXPECT_EQ(source.size, 0u);
    EXPECT_EQ(source.readOnly, 1);
    EXPECT_EQ(source.lockCount, 0);
  }
  // The image tests compile no resources in: the program's own module has none.
  ResourceSource own(nullptr, "BOOK", "BIN");
  EXPECT_EQ(own.data, nullptr);
}

TEST_F(ResourceSourceTest, DestroyingTheSourceLeavesTheResourceToItsModule) {
  const void* bytes = nullptr;
  {
    // Destroyed through the base, as owners do.
    std::unique_ptr<DataSource> source = std::make_unique<ResourceSource>(module_, "A12P", "BIN");
    bytes = source->data;
  }
  ResourceSource again(module_, "A12P", "BIN");
  EXPECT_EQ(again.data, bytes);
  EXPECT_EQ(std::memcmp(again.data, "BIN", 3), 0);
}

}  // namespace
}  // namespace ossen
