// pellaris-soak [--frames N] [--seed N]: plays N frames (1,000,000 by default) of random input on the
// headless backend, checking every frame, and names the first frame that broke a rule. Exit code 0
// when none did.
#include <algorithm>
#include <charconv>
#include <chrono>
#include <iostream>
#include <string>
#include <string_view>

#include "tools/soak/soak.h"

namespace {

constexpr std::int64_t kMemoryReportFrame = 10'000;
constexpr std::int64_t kProgressFrames = 100'000;

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

template <typename Number>
bool ReadNumber(std::string_view text, Number& out) {
  const char* end = text.data() + text.size();
  auto [stop, error] = std::from_chars(text.data(), end, out);
  return error == std::errc() && stop == end;
}

bool ReadOptions(int argc, char** argv, pellaris::play::ReplayOptions& options) {
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string_view name = argv[i], value = argv[i + 1];
    const bool ok = name == "--frames" ? ReadNumber(value, options.frames) && options.frames > 0
                    : name == "--seed" ? ReadNumber(value, options.seed)
                                       : false;
    if (!ok) return false;
  }
  return argc % 2 == 1;
}

void ReportMemory(std::int64_t frame) {
  std::cout << "frame " << frame << ": peak RSS " << pellaris::soak::PeakResidentKilobytes() << " kB\n"
            << std::flush;
}

}  // namespace

int main(int argc, char** argv) {
  pellaris::play::ReplayOptions options;
  options.frames = 1'000'000;
  if (!ReadOptions(argc, argv, options)) {
    std::cerr << "usage: pellaris-soak [--frames N] [--seed N]\n";
    return 2;
  }
  options.events = pellaris::soak::RandomScript(options.seed, options.frames);

  const auto start = std::chrono::steady_clock::now();
  std::string violation;
  std::int64_t framesSeen = 0, framesPlaying = 0;
  int peakEntities = 0;
  pellaris::play::RunReplay(options, nullptr, [&](const pellaris::play::FrameRecord& record) {
    ++framesSeen;
    framesPlaying += record.screen == "playing";
    int entities = 0;
    for (int count : record.entities) entities += count;
    peakEntities = std::max(peakEntities, entities);
    if (record.frame == kMemoryReportFrame) ReportMemory(record.frame);
    if (record.frame % kProgressFrames == 0) {
      std::cout << "frame " << record.frame << ": " << Seconds(start) << " s, at most " << peakEntities
                << " entities so far\n"
                << std::flush;
    }
    if (!violation.empty()) return;
    violation = pellaris::soak::Violation(record, {});
    if (!violation.empty()) {
      violation = "frame " + std::to_string(record.frame) + " (" + record.screen + "): " + violation;
      std::cout << "violation at " << violation << "\n" << std::flush;
    }
  });
  const double seconds = Seconds(start);

  ReportMemory(framesSeen);
  std::cout << framesSeen << " frames (" << framesPlaying << " in play) in " << seconds << " s, seed "
            << options.seed << "\n";
  if (framesSeen != options.frames) {
    std::cout << "the game ended early, at frame " << framesSeen << "\n";
    return 1;
  }
  if (!violation.empty()) {
    std::cout << "FAILED at " << violation << "\n";
    return 1;
  }
  std::cout << "no violation\n";
  return 0;
}
