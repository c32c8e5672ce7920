#include "app/store/paths.h"

#include <gtest/gtest.h>

#include "tests/support/temporary_folder.h"

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

TEST(Paths, TheFilesAreInTheirFolders) {
  const ScopedVariable config("XDG_CONFIG_HOME", "/c"), data("XDG_DATA_HOME", "/d"),
      state("XDG_STATE_HOME", "/s");
  EXPECT_EQ(DefaultSettingsFile(), "/c/pellaris/settings.ini");
  EXPECT_EQ(DefaultScoresFile(), "/d/pellaris/scores");
  EXPECT_EQ(ReplaysFolder(), "/s/pellaris/replays");
}

}  // namespace
}  // namespace pellaris::app
