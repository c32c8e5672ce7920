#include "tools/soak/soak.h"

#include <fstream>
#include <random>

#include "runtime/platform/key_codes.h"

namespace pellaris::soak {

namespace {

using play::ScriptEvent;
using Type = ScriptEvent::Type;

constexpr int kHeldKeys[] = {rt::kKeyEnter, rt::kKeyLeftCtrl, rt::kKeyRightShift, rt::kKeySpace,
                             rt::kKeyRightCtrl};

class ScriptMaker {
 public:
  ScriptMaker(std::uint32_t seed, std::int64_t frames) : random_(seed), frames_(frames) {}

  std::vector<ScriptEvent> Make() {
    std::int64_t frame = 1;
    while ((frame += Between(1, 40)) < frames_) AddAt(frame);
    return std::move(events_);
  }

 private:
  int Between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

  void Add(std::int64_t frame, Type type, int a = 0, int b = 0, std::int64_t seconds = 0) {
    if (frame >= frames_) return;
    ScriptEvent event;
    event.frame = frame;
    event.type = type;
    event.a = a;
    event.b = b;
    event.seconds = seconds;
    events_.push_back(event);
  }

  // Down now, up a little later (possibly after other presses began: chords happen).
  void Hold(std::int64_t frame, Type down, Type up, int code, int longest) {
    Add(frame, down, code);
    Add(frame + Between(1, longest), up, code);
  }

  void AddAt(std::int64_t frame) {
    const int roll = Between(0, 999);
    if (roll < 450) {
      Hold(frame, Type::KeyDown, Type::KeyUp, kHeldKeys[Between(1, 4)], 90);
    } else if (roll < 600) {
      Hold(frame, Type::ButtonDown, Type::ButtonUp, Between(1, 2), 60);
    } else if (roll < 850) {
      Add(frame, Type::Move, Between(-40, 40), Between(-40, 40));
    } else if (roll < 960) {
      Hold(frame, Type::KeyDown, Type::KeyUp, rt::kKeyEnter, 5);  // starts the next round when it is over
    } else if (roll < 980) {
      Add(frame, Type::FocusLost);
      Add(frame + Between(1, 300), Type::FocusGained);
    } else {
      Add(frame, Type::Clock, 0, 0, Between(-30, 150));
    }
  }

  std::mt19937 random_;
  std::int64_t frames_;
  std::vector<ScriptEvent> events_;
};

}  // namespace

std::vector<play::ScriptEvent> RandomScript(std::uint32_t seed, std::int64_t frames) {
  return ScriptMaker(seed, frames).Make();
}

std::string Violation(const play::FrameRecord& record, const Limits& limits) {
  int total = 0;
  for (int count : record.entities) total += count;
  if (total > limits.maximumEntities) return "entities " + std::to_string(total);
  const int rocks = record.entities[KindRock];
  if (record.screen == "playing" && rocks < limits.minimumRocksInPlay)
    return "rocks " + std::to_string(rocks);
  return "";
}

long PeakResidentKilobytes() {
  std::ifstream status("/proc/self/status");
  std::string word;
  while (status >> word) {
    if (word == "VmHWM:") {
      long kilobytes = -1;
      status >> kilobytes;
      return kilobytes;
    }
  }
  return -1;
}

}  // namespace pellaris::soak
