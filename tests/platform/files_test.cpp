// Exclusive writing, whole-file reading and path helpers.
#include "platform/files.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;

class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FDir = fs::temp_directory_path() / ("halvex_files_" + std::to_string(::getpid()));
    fs::create_directories(FDir);
  }
  void TearDown() override { fs::remove_all(FDir); }
  std::string Path(const char* name) { return (FDir / name).string(); }
  fs::path FDir;
};

TEST_F(FilesTest, ExistsMeansARegularFile) {
  EXPECT_FALSE(platform::FileExists(Path("none")));
  EXPECT_FALSE(platform::FileExists(FDir.string()));
  platform::TExclusiveFile::Create(Path("a")).Close();
  EXPECT_TRUE(platform::FileExists(Path("a")));
}

TEST_F(FilesTest, CreateEmptiesAndAppendsAtTheEnd) {
  {
    auto f = platform::TExclusiveFile::Create(Path("a"));
    f.Write("old content");
  }
  {
    auto f = platform::TExclusiveFile::Create(Path("a"));
    f.Write("one");
  }
  {
    auto f = platform::TExclusiveFile::OpenExisting(Path("a"));
    f.SeekToEnd();
    f.Write("\xC0two");
  }
  EXPECT_EQ(platform::ReadWholeFile(Path("a")), "one\xC0two");
}

TEST_F(FilesTest, ASecondWriterIsRefusedWhileTheFirstHoldsTheFile) {
  auto first = platform::TExclusiveFile::Create(Path("held"));
  EXPECT_THROW(platform::TExclusiveFile::OpenExisting(Path("held")), platform::EFileError);
  EXPECT_THROW(platform::TExclusiveFile::Create(Path("held")), platform::EFileError);
  first.Write("kept");
  first.Close();
  EXPECT_EQ(platform::ReadWholeFile(Path("held")), "kept");
  EXPECT_NO_THROW(platform::TExclusiveFile::OpenExisting(Path("held")));
}

TEST_F(FilesTest, MissingFilesRaise) {
  EXPECT_THROW(platform::TExclusiveFile::OpenExisting(Path("none")), platform::EFileError);
  EXPECT_THROW(platform::ReadWholeFile(Path("none")), platform::EFileError);
  EXPECT_THROW(platform::ReadWholeFile(FDir.string()), platform::EFileError);
}

TEST(PathHelpers, ExeDirectoryEndsInASlash) {
  std::string dir = platform::ExeDirectory();
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.back(), '/');
  EXPECT_TRUE(fs::is_directory(dir));
}

}  // namespace
