// The mixer on a device that renders on its own thread, as a real one does: the game thread loads,
// replaces, plays and frees sounds meanwhile. Under AddressSanitizer a sample buffer freed while the
// mixer still reads it shows up here.
#include <atomic>
#include <mutex>
#include <thread>

#include "runtime/platform/forwarding_facets.h"
#include "tests/runtime/sound/sound_fixture.h"

namespace rt::test {
namespace {

// The platform's audio lock as a real mutex, held while the callback runs.
class ThreadedDevice : public platform::HeadlessPlatform {
 public:
  std::vector<std::int16_t> RenderLocked(int frames) {
    std::lock_guard<std::mutex> lock(mutex_);
    return RenderAudio(frames);
  }
  platform::Backend WithLockedAudio() {
    platform::Backend facets = Facets();
    facets.audio = &audio_;
    return facets;
  }

 private:
  class LockedAudio : public platform::ForwardingAudio {
   public:
    LockedAudio(ThreadedDevice& device) : ForwardingAudio(device.Audio()), mutex_(device.mutex_) {}
    void LockAudio() override { mutex_.lock(); }
    void UnlockAudio() override { mutex_.unlock(); }
    // Closing waits for a running callback, as a real device does.
    void CloseAudio() override {
      std::lock_guard<std::mutex> lock(mutex_);
      ForwardingAudio::CloseAudio();
    }

   private:
    std::mutex& mutex_;
  };

  std::mutex mutex_;
  LockedAudio audio_{*this};
};

TEST(ThreadedMixingTest, SoundsChangeSafelyWhileTheDeviceRenders) {
  ThreadedDevice device;
  const platform::ScopedBackend installed(device.WithLockedAudio());
  ASSERT_EQ(InitSoundSystem(), 1);

  std::atomic<bool> running{true};
  std::atomic<int> blocks{0};
  std::atomic<bool> heard{false};
  std::thread audio([&] {
    while (running) {
      for (std::int16_t sample : device.RenderLocked(64)) {
        if (sample != 0) heard = true;
      }
      ++blocks;
      std::this_thread::yield();
    }
  });

  Bytes samples;
  for (int i = 0; i < 400; ++i) Put16(samples, static_cast<unsigned>(i * 37 + 1));
  for (int round = 0; round < 200; ++round) {
    const Bytes image = Wav(Pcm(1, 22050, 16), Bytes(samples.begin(), samples.begin() + 200 + round % 200));
    const ObjectNumber number = round % 3;
    ASSERT_EQ(LoadSoundFromMemory(number, image.data(), image.size()), 1);
    ASSERT_EQ(PlaySoundEffect(number), 1);
    if (round % 5 == 0) FreeSound((round + 1) % 3);
    const int seen = blocks;
    while (blocks == seen) std::this_thread::yield();
  }
  EndSoundSystem();
  running = false;
  audio.join();
  EXPECT_TRUE(heard);
}

}  // namespace
}  // namespace rt::test
