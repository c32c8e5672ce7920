#include "play/store/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "tests/support/temporary_folder.h"

namespace pellaris::play {
namespace {

TEST(Files, CreateFoldersMakesTheChainAndRefusesAFileInTheWayAndRefusesAFileInTheWay) {
  const TemporaryFolder temporary;
  std::string error;
  const std::filesystem::path chain = temporary.Path() / "a/b/c";
  ASSERT_TRUE(CreateFolders(chain, error)) << error;
  EXPECT_TRUE(std::filesystem::is_directory(chain));
  EXPECT_EQ(std::filesystem::status(chain).permissions(), std::filesystem::perms::owner_all);
  EXPECT_TRUE(CreateFolders(chain, error)) << "an existing chain is fine";

  WriteWhole(temporary.Path() / "file", "x");
  EXPECT_FALSE(CreateFolders(temporary.Path() / "file/sub", error));
  EXPECT_FALSE(CreateFolders(temporary.Path() / "file", error));
  EXPECT_NE(error.find("file"), std::string::npos) << error;
}

TEST(Files, ReadSmallFileSaysWhyNot) {
  const TemporaryFolder temporary;
  WriteWhole(temporary.Path() / "small", "12345");
  struct Case {
    const char* name;
    std::size_t limit;
    ReadStatus expected;
  };
  const Case cases[] = {
      {"small", 5, ReadStatus::Read},
      {"small", 4, ReadStatus::TooLarge},
      {"absent", 5, ReadStatus::Missing},
      {".", 5, ReadStatus::Unreadable},  // a folder
      // Names of a folder, which a lock or a write beside them would make.
      {"absent/", 5, ReadStatus::Unreadable},
      {"absent/.", 5, ReadStatus::Unreadable},
      {"absent/..", 5, ReadStatus::Unreadable},
  };
  for (const Case& c : cases) {
    const FileContents contents = ReadSmallFile(temporary.Path() / c.name, c.limit);
    EXPECT_EQ(contents.status, c.expected) << c.name << " limit " << c.limit;
    EXPECT_EQ(contents.text, c.expected == ReadStatus::Read ? "12345" : "") << c.name;
    EXPECT_EQ(contents.error.empty(), c.expected == ReadStatus::Read || c.expected == ReadStatus::Missing);
  }
}

TEST(Files, ReplaceKeepsTheModeAndFollowsALink) {
  const TemporaryFolder temporary;
  const std::filesystem::path real = temporary.Path() / "real", link = temporary.Path() / "link";
  WriteWhole(real, "old");
  std::filesystem::permissions(real,
                               std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  std::filesystem::create_symlink("real", link);

  std::string error;
  ASSERT_TRUE(ReplaceFile(link, "new", error)) << error;
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(ReadWhole(real), "new");
  EXPECT_EQ(std::filesystem::status(real).permissions(),
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  EXPECT_EQ(FolderEntries(temporary.Path()), (std::vector<std::string>{"link", "real"}));

  ASSERT_TRUE(ReplaceFile(temporary.Path() / "new/folder/file", "made", error)) << error;
  EXPECT_EQ(ReadWhole(temporary.Path() / "new/folder/file"), "made");
}

TEST(Files, ReplaceLeavesWhatIsNoRegularFileAlone) {
  const TemporaryFolder temporary;
  const std::filesystem::path fifo = temporary.Path() / "fifo", folder = temporary.Path() / "folder";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  std::filesystem::create_directory(folder);
  std::filesystem::create_symlink("fifo", temporary.Path() / "link");
  std::filesystem::create_symlink("loop", temporary.Path() / "loop");
  for (const char* name : {"fifo", "folder", "link", "loop"}) {
    std::string error;
    EXPECT_FALSE(ReplaceFile(temporary.Path() / name, "new", error)) << name;
    EXPECT_NE(error.find("not a regular file"), std::string::npos) << name << ": " << error;
  }
  EXPECT_TRUE(std::filesystem::is_fifo(fifo));
  EXPECT_TRUE(std::filesystem::is_empty(folder));
  EXPECT_EQ(FolderEntries(temporary.Path()), (std::vector<std::string>{"fifo", "folder", "link", "loop"}));
}

TEST(Files, SetAsideTakesTheNextFreeName) {
  const TemporaryFolder temporary;
  const std::filesystem::path file = temporary.Path() / "scores";
  std::string error;
  for (const char* contents : {"first", "second"}) {
    WriteWhole(file, contents);
    EXPECT_FALSE(SetAside(file, ".damaged", error).empty()) << error;
  }
  EXPECT_EQ(FolderEntries(temporary.Path()),
            (std::vector<std::string>{"scores.damaged-1", "scores.damaged-2"}));
  EXPECT_EQ(ReadWhole(temporary.Path() / "scores.damaged-1"), "first");
  EXPECT_EQ(ReadWhole(temporary.Path() / "scores.damaged-2"), "second");
  EXPECT_TRUE(SetAside(file, ".damaged", error).empty()) << "nothing left to set aside";
}

TEST(Files, ALockIsHeldByOneAtATimeBesideTheFileALinkLeadsTo) {
  const TemporaryFolder temporary;
  const std::filesystem::path file = temporary.Path() / "scores";
  std::filesystem::create_directory(temporary.Path() / "real");
  std::filesystem::create_symlink("real/scores", file);
  {
    const FileLock first(file);
    ASSERT_TRUE(first.Held()) << first.Error();
    const FileLock second(file, 0);
    EXPECT_FALSE(second.Held());
    EXPECT_NE(second.Error().find("another program holds it"), std::string::npos) << second.Error();
  }
  EXPECT_TRUE(FileLock(file, 0).Held()) << "released with the first";
  EXPECT_EQ(FolderEntries(temporary.Path() / "real"), std::vector<std::string>{"scores.lock"});

  std::filesystem::create_directory(temporary.Path() / "folder.lock");
  const FileLock inTheWay(temporary.Path() / "folder", 0);
  EXPECT_FALSE(inTheWay.Held());
  EXPECT_NE(inTheWay.Error().find("folder.lock"), std::string::npos) << inTheWay.Error();
}

}  // namespace
}  // namespace pellaris::play
