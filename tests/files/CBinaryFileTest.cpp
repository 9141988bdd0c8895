#include <gtest/gtest.h>

#include <filesystem>

#include "files/CBinaryFile.h"
#include "files/TempFolder.h"

namespace nodrix::files {
namespace {

using nodrix::testing::ReadBytes;
using nodrix::testing::TempFolder;
using nodrix::testing::WriteBytes;
using Bytes = std::vector<unsigned char>;

TEST(CBinaryFile, WritingCreatesAMissingFileAndEmptiesAnExistingOne) {
    TempFolder folder;
    const std::string name = folder.File("out.bin");
    {
        CBinaryFile file;
        ASSERT_TRUE(file.OpenForWriting(name.c_str()));
        EXPECT_TRUE(file.Write("abc", 3));
        EXPECT_TRUE(file.Write("de", 2));
        EXPECT_TRUE(file.Write(nullptr, 0));
    }  // destruction closes and flushes
    EXPECT_EQ(ReadBytes(name), (Bytes{'a', 'b', 'c', 'd', 'e'}));

    WriteBytes(name, Bytes(100, 0xEE));
    CBinaryFile file;
    ASSERT_TRUE(file.OpenForWriting(name.c_str()));
    ASSERT_TRUE(file.Write("xy", 2));
    file.Close();
    EXPECT_EQ(ReadBytes(name), (Bytes{'x', 'y'}));
}

TEST(CBinaryFile, NothingIsWrittenWithoutAnOpenFile) {
    TempFolder folder;
    CBinaryFile file;
    EXPECT_FALSE(file.Write("abc", 3));
    EXPECT_FALSE(file.OpenForWriting(folder.File("missing/sub/out.bin").c_str()));
    EXPECT_FALSE(file.OpenForWriting(""));
    EXPECT_FALSE(file.OpenForWriting(nullptr));
    EXPECT_FALSE(file.IsOpen());
    EXPECT_FALSE(file.Write("abc", 3));
    // A folder is not a file to write.
    EXPECT_FALSE(file.OpenForWriting(folder.Path().string().c_str()));
}

TEST(CBinaryFile, SeekPatchesEarlierBytesAndEndAppends) {
    TempFolder folder;
    const std::string name = folder.File("patch.bin");
    CBinaryFile file;
    ASSERT_TRUE(file.OpenForWriting(name.c_str()));
    ASSERT_TRUE(file.Write("RIFF\0\0\0\0AVI ", 12));
    std::uint64_t position = 0;
    ASSERT_TRUE(file.Position(&position));
    EXPECT_EQ(position, 12u);
    ASSERT_TRUE(file.Seek(4));
    const unsigned char size[4] = {0x04, 0x03, 0x02, 0x01};
    ASSERT_TRUE(file.Write(size, 4));
    ASSERT_TRUE(file.SeekToEnd());
    ASSERT_TRUE(file.Write("!", 1));
    file.Close();
    EXPECT_EQ(ReadBytes(name), (Bytes{'R', 'I', 'F', 'F', 4, 3, 2, 1, 'A', 'V', 'I', ' ', '!'}));
}

TEST(CBinaryFile, ReadsAWholeFileAndWalksIt) {
    TempFolder folder;
    const std::string name = folder.File("in.bin");
    WriteBytes(name, Bytes{1, 2, 3, 4, 5, 6, 7});

    CBinaryFile file;
    ASSERT_TRUE(file.ReadWholeFile(name.c_str()));
    EXPECT_FALSE(file.IsOpen());  // the handle is closed once the bytes are in memory
    ASSERT_EQ(file.DataSize(), 7u);
    EXPECT_EQ(Bytes(file.Data(), file.Data() + 7), (Bytes{1, 2, 3, 4, 5, 6, 7}));
    unsigned char four[4] = {};
    ASSERT_TRUE(file.Read(four, 4));
    EXPECT_EQ(Bytes(four, four + 4), (Bytes{1, 2, 3, 4}));
    EXPECT_FALSE(file.Read(four, 4));  // three left: nothing copied, nothing consumed
    EXPECT_EQ(file.Remaining(), 3u);
    ASSERT_TRUE(file.Read(four, 3));
    EXPECT_EQ(file.Remaining(), 0u);

    // The file was closed, so it can be replaced while the block lives on.
    CBinaryFile writer;
    ASSERT_TRUE(writer.OpenForWriting(name.c_str()));
    writer.Close();
    EXPECT_EQ(file.DataSize(), 7u);

    ASSERT_TRUE(file.ReadWholeFile(name.c_str()));  // now empty
    EXPECT_EQ(file.DataSize(), 0u);
    EXPECT_FALSE(file.Read(four, 1));

    EXPECT_FALSE(file.ReadWholeFile(folder.File("absent.bin").c_str()));
    EXPECT_EQ(file.Data(), nullptr);
    EXPECT_EQ(file.DataSize(), 0u);
}

}  // namespace
}  // namespace nodrix::files
