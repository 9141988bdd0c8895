#include "platform/SettingsStore.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/platform/TestSettingsRoot.h"

namespace nodrix::platform {
namespace {

class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override { root_ = testing_support::IsolatedSettingsRoot(); }
    void TearDown() override { DeleteSettingsTree(root_); }

    std::string root_;
};

TEST_F(SettingsStoreTest, DwordAndBinaryValuesRoundTrip) {
    SettingsKey key;
    ASSERT_TRUE(key.Create(root_ + "\\Camera_00\\Gain"));
    EXPECT_TRUE(key.WriteDword("Global", 0xFFFFFFF6u));  // -10 as the connection holds it
    const double exposure = 0.125;
    std::uint8_t bytes[8];
    std::memcpy(bytes, &exposure, sizeof bytes);
    EXPECT_TRUE(key.WriteBinary("ExposureEx", bytes, sizeof bytes));
    key.Close();

    SettingsKey reader;
    ASSERT_TRUE(reader.Open(root_ + "\\Camera_00\\Gain", KeyAccess::Read));
    std::uint32_t value = 0;
    EXPECT_TRUE(reader.ReadDword("Global", &value));
    EXPECT_EQ(value, 0xFFFFFFF6u);
    std::uint8_t read[8] = {};
    EXPECT_TRUE(reader.ReadBinary("ExposureEx", read, sizeof read));
    EXPECT_EQ(std::memcmp(read, bytes, sizeof read), 0);
}

TEST_F(SettingsStoreTest, ValuesAreOverwrittenAndNamesIgnoreCase) {
    SettingsKey key;
    ASSERT_TRUE(key.Create(root_ + "\\Camera_00"));
    EXPECT_TRUE(key.WriteDword("Color", 1));
    EXPECT_TRUE(key.WriteDword("COLOR", 5));
    std::uint32_t value = 0;
    EXPECT_TRUE(key.ReadDword("color", &value));
    EXPECT_EQ(value, 5u);
    SettingsKey other;
    EXPECT_TRUE(other.Open(root_ + "\\CAMERA_00", KeyAccess::Read));
}

TEST_F(SettingsStoreTest, TypeAndSizeMustMatch) {
    SettingsKey key;
    ASSERT_TRUE(key.Create(root_));
    std::uint8_t bytes[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    ASSERT_TRUE(key.WriteBinary("Blob", bytes, sizeof bytes));
    ASSERT_TRUE(key.WriteDword("Number", 7));
    std::uint32_t value = 0;
    std::uint8_t read[16];
    EXPECT_FALSE(key.ReadDword("Blob", &value));
    EXPECT_FALSE(key.ReadDword("Missing", &value));
    EXPECT_FALSE(key.ReadBinary("Blob", read, 4));
    EXPECT_FALSE(key.ReadBinary("Blob", read, 16));
    EXPECT_FALSE(key.ReadBinary("Number", read, 4));
    EXPECT_TRUE(key.ReadBinary("Blob", read, 8));
}

TEST_F(SettingsStoreTest, OpenNeedsAnExistingKeyAndReadAccessCannotWrite) {
    SettingsKey key;
    EXPECT_FALSE(key.Open(root_ + "\\Nothing", KeyAccess::Read));
    EXPECT_FALSE(key.IsOpen());
    EXPECT_FALSE(key.WriteDword("X", 1));
    ASSERT_TRUE(key.Create(root_ + "\\Camera_01"));
    ASSERT_TRUE(key.Open(root_ + "\\Camera_01", KeyAccess::Read));
    EXPECT_FALSE(key.WriteDword("X", 1));
    ASSERT_TRUE(key.Open(root_ + "\\Camera_01", KeyAccess::AllAccess));
    EXPECT_TRUE(key.WriteDword("X", 1));
}

TEST_F(SettingsStoreTest, CreateMakesParentsAndDeleteTreeRemovesEverythingBelow) {
    SettingsKey key;
    ASSERT_TRUE(key.Create(root_ + "\\Camera_00\\Size_00"));
    ASSERT_TRUE(key.WriteDword("TH", 1280));
    key.Close();
    ASSERT_TRUE(key.Create(root_ + "\\Camera_01"));
    key.Close();
    EXPECT_TRUE(SettingsKeyExists(root_ + "\\Camera_00"));
    EXPECT_TRUE(DeleteSettingsTree(root_ + "\\Camera_00"));
    EXPECT_FALSE(SettingsKeyExists(root_ + "\\Camera_00"));
    EXPECT_FALSE(SettingsKeyExists(root_ + "\\Camera_00\\Size_00"));
    EXPECT_TRUE(SettingsKeyExists(root_ + "\\Camera_01"));
    EXPECT_FALSE(DeleteSettingsTree(root_ + "\\Camera_00"));
}

TEST_F(SettingsStoreTest, MovedKeyStaysUsable) {
    SettingsKey key;
    ASSERT_TRUE(key.Create(root_));
    SettingsKey moved = std::move(key);
    EXPECT_TRUE(moved.WriteDword("Size", 3));
    std::uint32_t value = 0;
    EXPECT_TRUE(moved.ReadDword("Size", &value));
    EXPECT_EQ(value, 3u);
}

}  // namespace
}  // namespace nodrix::platform
