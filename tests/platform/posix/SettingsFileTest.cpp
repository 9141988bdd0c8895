#include "platform/posix/SettingsFile.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/SettingsStore.h"
#include "platform/Time.h"
#include "tests/platform/TestSettingsRoot.h"

namespace nodrix::platform {
namespace {

using detail::SettingsTree;
using detail::SettingsValue;
using detail::SettingsValueType;

class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = testing_support::IsolatedSettingsRoot();
        DeleteSettingsTree(root_);
    }
    void TearDown() override { DeleteSettingsTree(root_); }

    std::string root_;
};

TEST(SettingsTreeTest, SerialisedTreeReadsBackIdentically) {
    SettingsTree tree;
    tree.CreateKey("Software\\Maker\\Product\\Camera_00\\Gain");
    tree.SetValue("Software\\Maker\\Product\\Camera_00\\Gain",
                  {"Global", SettingsValueType::Dword, {0xF6, 0xFF, 0xFF, 0xFF}});
    tree.SetValue("Software\\Maker\\Product\\Camera_00\\Gain",
                  {"Odd \"name\" \\ here", SettingsValueType::Binary, {0, 1, 0xFE, 0xFF}});
    tree.SetValue("Software\\Maker", {"Empty", SettingsValueType::Binary, {}});
    const std::string text = tree.Serialise();
    EXPECT_EQ(SettingsTree::Parse(text).Serialise(), text);

    const SettingsTree back = SettingsTree::Parse(text);
    EXPECT_TRUE(back.HasKey("software\\maker\\product"));
    const SettingsValue* odd =
        back.FindValue("Software\\Maker\\Product\\Camera_00\\Gain", "odd \"NAME\" \\ here");
    ASSERT_NE(odd, nullptr);
    EXPECT_EQ(odd->data, (std::vector<std::uint8_t>{0, 1, 0xFE, 0xFF}));
    ASSERT_NE(back.FindValue("Software\\Maker", "Empty"), nullptr);
}

TEST(SettingsTreeTest, MalformedLinesAreSkipped) {
    const SettingsTree tree = SettingsTree::Parse(
        "NodrixSettings 1\n[A\\B]\n\"Good\"=dword:0000000a\n\"Bad\"=dword:12\n"
        "\"Torn\"=hex:01,0\ngarbage\n[C]\n\"X\"=hex:ff\n");
    ASSERT_NE(tree.FindValue("A\\B", "Good"), nullptr);
    EXPECT_EQ(tree.FindValue("A\\B", "Bad"), nullptr);
    EXPECT_EQ(tree.FindValue("A\\B", "Torn"), nullptr);
    ASSERT_NE(tree.FindValue("C", "X"), nullptr);
}

TEST(SettingsTreeTest, PathsAreNormalised) {
    std::string path;
    ASSERT_TRUE(SettingsTree::NormalisePath("\\Software\\\\Maker\\", &path));
    EXPECT_EQ(path, "Software\\Maker");
    EXPECT_FALSE(SettingsTree::NormalisePath("Soft\nware", &path));
}

TEST_F(SettingsFileTest, TwoWriterProcessesKeepEachOthersKeys) {
    constexpr int kKeysEach = 25;
    std::vector<pid_t> writers;
    for (int writer = 0; writer < 2; ++writer) {
        const pid_t pid = fork();
        if (pid == 0) {
            for (int i = 0; i < kKeysEach; ++i) {
                SettingsKey key;
                const std::string path = root_ + "\\Writer" + std::to_string(writer) + "_" +
                                         std::to_string(i);
                if (!key.Create(path) || !key.WriteDword("Value", static_cast<std::uint32_t>(i))) {
                    _exit(1);
                }
            }
            _exit(0);
        }
        writers.push_back(pid);
    }
    for (pid_t pid : writers) {
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    for (int writer = 0; writer < 2; ++writer) {
        for (int i = 0; i < kKeysEach; ++i) {
            SettingsKey key;
            ASSERT_TRUE(key.Open(root_ + "\\Writer" + std::to_string(writer) + "_" +
                                     std::to_string(i),
                                 KeyAccess::Read));
            std::uint32_t value = 0;
            EXPECT_TRUE(key.ReadDword("Value", &value));
            EXPECT_EQ(value, static_cast<std::uint32_t>(i));
        }
    }
}

// A writer killed at any moment of a save leaves the old or the new file,
// each complete: the large value is always there and all of one round.
TEST_F(SettingsFileTest, KeepsEitherOldOrNewContentWhenAWriterProcessIsKilledMidSave) {
    constexpr std::size_t kValueSize = 256 * 1024;
    {
        SettingsKey key;
        ASSERT_TRUE(key.Create(root_));
        ASSERT_TRUE(key.WriteBinary("Big", std::vector<std::uint8_t>(kValueSize, 0).data(),
                                    kValueSize));
    }
    for (int attempt = 0; attempt < 6; ++attempt) {
        const pid_t pid = fork();
        if (pid == 0) {
            SettingsKey key;
            if (!key.Open(root_, KeyAccess::AllAccess)) _exit(1);
            for (std::uint8_t round = 1;; ++round) {
                key.WriteBinary("Big", std::vector<std::uint8_t>(kValueSize, round).data(),
                                kValueSize);
            }
        }
        SleepMs(20 + 15 * attempt);
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);

        SettingsKey key;
        ASSERT_TRUE(key.Open(root_, KeyAccess::AllAccess));
        std::vector<std::uint8_t> value(kValueSize);
        ASSERT_TRUE(key.ReadBinary("Big", value.data(), value.size())) << "attempt " << attempt;
        for (std::size_t i = 0; i < kValueSize; ++i) {
            ASSERT_EQ(value[i], value[0]) << "attempt " << attempt << " offset " << i;
        }
        // The dead writer's leftovers do not stand in the way of the next.
        EXPECT_TRUE(key.WriteDword("After", static_cast<std::uint32_t>(attempt)));
    }
}

TEST_F(SettingsFileTest, WritingBackTheStoredValueLeavesTheFileAlone) {
    SettingsKey key;
    ASSERT_TRUE(key.Create(root_));
    ASSERT_TRUE(key.WriteDword("Size", 3));
    struct stat before {};
    ASSERT_EQ(stat(detail::SettingsFilePath().c_str(), &before), 0);
    EXPECT_TRUE(key.WriteDword("Size", 3));
    EXPECT_TRUE(key.Create(root_));
    struct stat after {};
    ASSERT_EQ(stat(detail::SettingsFilePath().c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_TRUE(key.WriteDword("Size", 4));  // a change replaces it
    ASSERT_EQ(stat(detail::SettingsFilePath().c_str(), &after), 0);
    EXPECT_NE(after.st_ino, before.st_ino);
}

TEST_F(SettingsFileTest, StoreFileIsCreatedWithItsFolder) {
    const std::string saved = detail::SettingsFilePath();
    char directory[] = "/tmp/nodrix-settings-dir-XXXXXX";
    ASSERT_NE(mkdtemp(directory), nullptr);
    const std::string file = std::string(directory) + "/nested/nodrix/settings.reg";
    setenv("NODRIX_SETTINGS_FILE", file.c_str(), 1);
    SettingsKey key;
    EXPECT_TRUE(key.Create("Software\\X"));
    struct stat info {};
    EXPECT_EQ(stat(file.c_str(), &info), 0);
    setenv("NODRIX_SETTINGS_FILE", saved.c_str(), 1);
    unlink(file.c_str());
    unlink((file + ".lock").c_str());
    rmdir((std::string(directory) + "/nested/nodrix").c_str());
    rmdir((std::string(directory) + "/nested").c_str());
    rmdir(directory);
}

}  // namespace
}  // namespace nodrix::platform
