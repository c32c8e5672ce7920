// The layers hold: every file includes only what its target links (the target's own files and those of
// the libraries it links, directly or not); the front ends (app/, tools/, web/, server/) are linked by no
// one else; and the top folders link one another without a cycle. Tests, benchmarks and fuzz targets
// may also include the support files under tests/, bench/ and fuzz/; and only the game includes its
// variables. The build writes the targets with their sources and links into targets.txt.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path kSource = PELLARIS_SOURCE_DIR;
const fs::path kManifest = PELLARIS_TARGET_MANIFEST;
const std::set<std::string> kFrontEnds = {"app", "tools", "web", "server"};
const std::set<std::string> kSupport = {"tests", "bench", "fuzz"};

struct Target {
  std::set<fs::path> sources;  // in the source tree
  std::set<fs::path> folders;  // where its sources are
  std::vector<std::string> links;
};

using Targets = std::map<std::string, Target>;

Targets ReadManifest() {
  Targets targets;
  std::ifstream file(kManifest);
  std::string kind, value, current;
  while (file >> kind >> value) {
    if (kind == "target") {
      current = value;
      std::string folder;
      file >> folder;
      targets[current];
    } else if (kind == "source") {
      const fs::path source = fs::weakly_canonical(value);
      const fs::path relative = source.lexically_relative(kSource);
      if (relative.empty() || *relative.begin() == "..") continue;  // made by the build
      targets[current].sources.insert(relative);
      targets[current].folders.insert(relative.parent_path());
    } else if (kind == "link") {
      targets[current].links.push_back(value);
    }
  }
  return targets;
}

std::string TopFolder(const fs::path& path) {
  return path.empty() ? "" : path.begin()->string();
}

bool IsSupport(const fs::path& path) {
  return kSupport.count(TopFolder(path)) != 0;
}

class Layers : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    targets_ = ReadManifest();
    for (const auto& [name, target] : targets_) {
      for (const fs::path& folder : target.folders) owners_[folder].insert(name);
    }
  }

  static std::set<std::string> Closure(const std::string& name) {
    std::set<std::string> seen;
    std::vector<std::string> waiting = {name};
    while (!waiting.empty()) {
      const std::string next = waiting.back();
      waiting.pop_back();
      if (!seen.insert(next).second) continue;
      const auto found = targets_.find(next);
      if (found != targets_.end())
        waiting.insert(waiting.end(), found->second.links.begin(), found->second.links.end());
    }
    return seen;
  }

  // The project files a file includes, by their paths in the source tree.
  static std::vector<fs::path> Includes(const fs::path& file) {
    static const std::regex kInclude(R"(^\s*#\s*include\s*"([^"]+)\")");
    std::vector<fs::path> included;
    std::ifstream text(kSource / file);
    std::smatch match;
    for (std::string line; std::getline(text, line);) {
      if (!std::regex_search(line, match, kInclude)) continue;
      for (const fs::path& candidate : {fs::path(match[1].str()), file.parent_path() / match[1].str()}) {
        if (fs::is_regular_file(kSource / candidate)) {
          included.push_back(candidate.lexically_normal());
          break;
        }
      }
    }
    return included;
  }

  // A target's files: its sources and the headers in its folders.
  static std::set<fs::path> FilesOf(const Target& target) {
    std::set<fs::path> files = target.sources;
    for (const fs::path& folder : target.folders) {
      for (const auto& entry : fs::directory_iterator(kSource / folder)) {
        if (entry.path().extension() == ".h") files.insert(folder / entry.path().filename());
      }
    }
    return files;
  }

  static inline Targets targets_;
  static inline std::map<fs::path, std::set<std::string>> owners_;
};

TEST_F(Layers, TheManifestKnowsTheLibraries) {
  for (const char* library : {"pellaris_core", "pellaris_game", "pellaris_play", "pellaris_play_format"}) {
    EXPECT_TRUE(targets_.count(library)) << library << " is missing from " << kManifest;
  }
}

TEST_F(Layers, EveryFileIncludesOnlyWhatItsTargetLinks) {
  std::ostringstream violations;
  for (const auto& [name, target] : targets_) {
    const std::set<std::string> closure = Closure(name);
    const bool support = std::any_of(target.folders.begin(), target.folders.end(), IsSupport);
    // The support code's own headers are included by tests, whose links they are checked against.
    for (const fs::path& file : support ? target.sources : FilesOf(target)) {
      for (const fs::path& included : Includes(file)) {
        if (support && IsSupport(included)) continue;
        const std::set<std::string>& owners = owners_[included.parent_path()];
        const bool linked = std::any_of(owners.begin(), owners.end(),
                                        [&](const std::string& owner) { return closure.count(owner) != 0; });
        if (!linked) violations << name << ": " << file.string() << " includes " << included.string() << "\n";
      }
    }
  }
  EXPECT_EQ(violations.str(), "");
}

// The game's variables are its own: others see them through game/snapshot.h, a round's start through
// game/round_start.h.
// Every source file is looked at, not only the targets of this build: the page's are built by
// Emscripten alone.
TEST_F(Layers, NothingButTheGameIncludesItsVariables) {
  const std::set<fs::path> variables = {"game/state.h", "game/entities.h"};
  const std::set<std::string> sourceFolders = {"app", "play", "runtime", "assets", "server", "tools", "web"};
  std::ostringstream violations;
  for (const std::string& top : sourceFolders) {
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(kSource / top)) {
      const fs::path file = entry.path().lexically_relative(kSource);
      const std::string extension = file.extension().string();
      if (!entry.is_regular_file() || (extension != ".cpp" && extension != ".h")) continue;
      for (const fs::path& included : Includes(file)) {
        if (variables.count(included)) violations << file.string() << " includes " << included.string() << "\n";
      }
    }
  }
  EXPECT_EQ(violations.str(), "");
}

TEST_F(Layers, NoOneButItsOwnFolderLinksAFrontEnd) {
  std::ostringstream violations;
  for (const auto& [name, target] : targets_) {
    if (target.folders.empty() || std::any_of(target.folders.begin(), target.folders.end(), IsSupport))
      continue;
    const std::string home = TopFolder(*target.folders.begin());
    for (const std::string& linked : Closure(name)) {
      for (const fs::path& folder : targets_[linked].folders) {
        const std::string top = TopFolder(folder);
        if (kFrontEnds.count(top) && top != home)
          violations << name << " (" << home << ") links " << linked << "\n";
      }
    }
  }
  EXPECT_EQ(violations.str(), "");
}

TEST_F(Layers, TheTopFoldersLinkOneAnotherWithoutACycle) {
  std::map<std::string, std::set<std::string>> edges;
  for (const auto& [name, target] : targets_) {
    for (const fs::path& from : target.folders) {
      if (IsSupport(from)) continue;
      for (const std::string& linked : target.links) {
        for (const fs::path& to : targets_[linked].folders) {
          if (TopFolder(from) != TopFolder(to)) edges[TopFolder(from)].insert(TopFolder(to));
        }
      }
    }
  }
  // Depth first; a folder met again while it is still being walked closes a cycle.
  std::map<std::string, int> state;  // 1 walking, 2 done
  std::string cycle;
  const std::function<void(const std::string&)> walk = [&](const std::string& folder) {
    state[folder] = 1;
    for (const std::string& next : edges[folder]) {
      if (state[next] == 1) cycle += folder + " -> " + next + "\n";
      if (state[next] == 0) walk(next);
    }
    state[folder] = 2;
  };
  for (const auto& [folder, _] : edges) {
    if (state[folder] == 0) walk(folder);
  }
  EXPECT_EQ(cycle, "");
  EXPECT_TRUE(edges["game"].count("runtime")) << "the game stands on the runtime";
  EXPECT_TRUE(edges["play"].count("game")) << "play stands on the game";
}

}  // namespace
