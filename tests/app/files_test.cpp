#include "app/files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/paths.h"
#include "app/printable.h"
#include "tests/app/temporary_folder.h"

namespace pellaris::app {
namespace {

TEST(Paths, VariablesThenHome) {
  struct Case {
    const char* config;
    const char* data;
    const char* home;
    const char* expectedConfig;
    const char* expectedData;
  };
  const Case cases[] = {
      {"/xdg/config", "/xdg/data", "/home/p", "/xdg/config/pellaris", "/xdg/data/pellaris"},
      {nullptr, nullptr, "/home/p", "/home/p/.config/pellaris", "/home/p/.local/share/pellaris"},
      {"", "", "/home/p", "/home/p/.config/pellaris", "/home/p/.local/share/pellaris"},
      // A relative value is ignored, as XDG asks.
      {"relative", "data", "/home/p", "/home/p/.config/pellaris", "/home/p/.local/share/pellaris"},
  };
  for (const Case& c : cases) {
    const ScopedVariable config("XDG_CONFIG_HOME", c.config), data("XDG_DATA_HOME", c.data),
        state("XDG_STATE_HOME", nullptr), home("HOME", c.home);
    EXPECT_EQ(ConfigFolder(), c.expectedConfig) << (c.config ? c.config : "(unset)");
    EXPECT_EQ(DataFolder(), c.expectedData) << (c.data ? c.data : "(unset)");
    EXPECT_EQ(StateFolder(), std::filesystem::path(c.home) / ".local/state/pellaris");
  }
}

TEST(Paths, CreatesTheChainAndRefusesAFileInTheWay) {
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

TEST(Printable, EscapesControlsAndBrokenUtf8) {
  struct Case {
    std::string text, printed;
    bool plain;
  };
  const Case cases[] = {
      {"--scale", "--scale", true},
      {"grün ☃", "grün ☃", true},
      {"a\tb\r\n", "a\\x09b\\x0d\\x0a", true},
      {"\x1b[2J", "\\x1b[2J", false},
      {"back\\slash", "back\\\\slash", true},
      {"\x7f", "\\x7f", false},
      {"\xc2\x85", "\\xc2\\x85", false},           // C1 next-line
      {"\xc3", "\\xc3", false},                    // cut short
      {"\xed\xa0\x80", "\\xed\\xa0\\x80", false},  // a surrogate
      {"\xc0\xaf", "\\xc0\\xaf", false},           // overlong
      {std::string("a\0b", 3), "a\\x00b", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Printable(c.text), c.printed) << c.printed;
    EXPECT_EQ(IsPlainText(c.text), c.plain) << c.printed;
  }
}

}  // namespace
}  // namespace pellaris::app
