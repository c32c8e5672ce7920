// Recorded play against its recording: the built replay tool runs each script of tests/golden/runs, and
// its log and pictures must be the committed ones, line for line and pixel for pixel. Any change to
// what the game does or draws shows here; when the change is meant, scripts/update-golden records
// the new output.
#include <gtest/gtest.h>

#include <png.h>
#include <unistd.h>
#include "game/game.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path kGolden = PELLARIS_GOLDEN_DIR;
constexpr const char* kIfMeant =
    "\nIf the game's output was meant to change, run scripts/update-golden and review the new files.";

struct Recording {
  std::string name;
  int step = 1;         // the committed log keeps every step-th line from the first
  std::string options;  // for pellaris-replay
};

void PrintTo(const Recording& recording, std::ostream* out) {
  *out << recording.name;
}

std::vector<Recording> ReadRecordings() {
  std::vector<Recording> recordings;
  std::ifstream file(kGolden / "runs");
  std::string line;
  while (std::getline(file, line)) {
    std::istringstream fields(line);
    Recording recording;
    if (line.starts_with("#") || !(fields >> recording.name >> recording.step) || recording.step < 1)
      continue;
    std::getline(fields, recording.options);
    recordings.push_back(recording);
  }
  return recordings;
}

std::vector<std::string> ReadLines(const fs::path& path, int step = 1) {
  std::vector<std::string> lines;
  std::ifstream file(path);
  std::string line;
  for (long number = 0; std::getline(file, line); ++number) {
    if (number % step == 0) lines.push_back(line);
  }
  return lines;
}

void ExpectSameLines(const fs::path& expectedPath, const std::vector<std::string>& actual) {
  const std::vector<std::string> expected = ReadLines(expectedPath);
  for (std::size_t i = 0; i < std::max(expected.size(), actual.size()); ++i) {
    if (i < expected.size() && i < actual.size() && expected[i] == actual[i]) continue;
    ADD_FAILURE() << expectedPath.filename().string() << " line " << i + 1
                  << " differs\n  expected: " << (i < expected.size() ? expected[i] : "(end of log)")
                  << "\n  actual:   " << (i < actual.size() ? actual[i] : "(end of log)") << kIfMeant;
    return;
  }
}

struct Picture {
  png_uint_32 width = 0, height = 0;
  std::vector<png_byte> rgb;
  std::string error;
};

// Decoded pixels, not file bytes: those depend on the zlib that wrote them.
Picture Decode(const fs::path& path) {
  Picture picture;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) {
    picture.error = image.message;
    return picture;
  }
  image.format = PNG_FORMAT_RGB;
  picture.rgb.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, picture.rgb.data(), 0, nullptr)) {
    picture.error = image.message;
    return picture;
  }
  picture.width = image.width;
  picture.height = image.height;
  return picture;
}

std::string Rgb(const png_byte* pixel) {
  char text[8];
  std::snprintf(text, sizeof text, "%02X%02X%02X", pixel[0], pixel[1], pixel[2]);
  return text;
}

void ExpectSamePicture(const fs::path& expectedPath, const fs::path& actualPath) {
  const std::string name = expectedPath.parent_path().filename() / expectedPath.filename();
  const Picture expected = Decode(expectedPath), actual = Decode(actualPath);
  ASSERT_EQ(expected.error, "") << name;
  ASSERT_EQ(actual.error, "") << name << " was not dumped" << kIfMeant;
  ASSERT_TRUE(expected.width == actual.width && expected.height == actual.height)
      << name << " is " << actual.width << " x " << actual.height << ", not " << expected.width << " x "
      << expected.height << kIfMeant;
  for (std::size_t i = 0; i < expected.rgb.size(); i += 3) {
    if (std::equal(&expected.rgb[i], &expected.rgb[i] + 3, &actual.rgb[i])) continue;
    const std::size_t pixel = i / 3;
    FAIL() << name << " differs first at x " << pixel % expected.width << ", y " << pixel / expected.width
           << ": expected " << Rgb(&expected.rgb[i]) << ", drawn " << Rgb(&actual.rgb[i]) << kIfMeant;
  }
}

std::set<std::string> PicturesIn(const fs::path& dir) {
  std::set<std::string> names;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(dir, error)) {
    if (entry.path().extension() == ".png") names.insert(entry.path().filename());
  }
  return names;
}

class GoldenRun : public ::testing::TestWithParam<Recording> {
 protected:
  void SetUp() override {
    out_ =
        fs::temp_directory_path() / ("pellaris-golden-" + GetParam().name + "-" + std::to_string(getpid()));
    fs::remove_all(out_);
  }
  void TearDown() override { fs::remove_all(out_); }

  fs::path out_;
};

INSTANTIATE_TEST_SUITE_P(Recorded, GoldenRun, ::testing::ValuesIn(ReadRecordings()),
                         [](const auto& info) { return info.param.name; });

TEST_P(GoldenRun, LogAndPicturesAreTheRecordedOnes) {
  const Recording& run = GetParam();
  const fs::path script = kGolden / (run.name + ".script"), log = out_ / "log.jsonl";
  const fs::path pictures = out_ / "pictures", expectedPictures = kGolden / run.name;
  const std::string command = "'" PELLARIS_REPLAY "' " + run.options + " --script '" + script.string() +
                              "' --log '" + log.string() + "' --dump '" + pictures.string() + "'";
  fs::create_directories(out_);
  ASSERT_EQ(std::system(command.c_str()), 0) << command;

  ExpectSameLines(kGolden / (run.name + ".jsonl"), ReadLines(log, run.step));
  const std::set<std::string> expected = PicturesIn(expectedPictures);
  EXPECT_EQ(PicturesIn(pictures), expected) << "the dumped pictures are not the recorded ones" << kIfMeant;
  for (const std::string& name : expected) ExpectSamePicture(expectedPictures / name, pictures / name);
}

// Checking a round draws nothing: what the game computes must not depend on its pictures.
TEST_P(GoldenRun, TheLogIsTheSameWithoutPictures) {
  const Recording& run = GetParam();
  const fs::path script = kGolden / (run.name + ".script"), log = out_ / "log.jsonl";
  std::string options = run.options;
  options.erase(options.find("--dump-at"));  // dumping needs pictures
  const std::string command = "'" PELLARIS_REPLAY "' " + options + " --no-pictures --script '" +
                              script.string() + "' --log '" + log.string() + "'";
  fs::create_directories(out_);
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  ExpectSameLines(kGolden / (run.name + ".jsonl"), ReadLines(log, run.step));
}

// The golden logs as a whole, by the rules version they were played by: a change to what the game
// computes must come with a new rules version (game/game.h), so that recordings of the old rules are
// refused rather than mis-verified. Add the new version's line when the logs are recorded anew.
TEST(GoldenLogs, ArePinnedToTheRulesVersion) {
  const std::map<int, std::uint64_t> kLogsOfRules = {
      {1, 0xc6f84140ccbdd54dull},
  };
  std::uint64_t hash = 14695981039346656037ull;
  for (const Recording& run : ReadRecordings()) {
    for (const std::string& line : ReadLines(kGolden / (run.name + ".jsonl"))) {
      for (const char c : line + "\n") hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    }
  }
  ASSERT_TRUE(kLogsOfRules.count(pellaris::kRulesVersion))
      << "no logs are pinned to rules " << pellaris::kRulesVersion;
  EXPECT_EQ(kLogsOfRules.at(pellaris::kRulesVersion), hash)
      << std::hex << "the golden logs hash to 0x" << hash
      << ": if the game's rules or numbers changed, raise "
      << "kRulesVersion and pin the new logs to it";
}

}  // namespace
