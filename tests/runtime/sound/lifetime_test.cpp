// The sound library's lifetime: the device, freeing sounds while they play, and the end routine.
#include <vector>

#include "runtime/runtime.h"
#include "tests/runtime/sound/sound_fixture.h"

namespace rt::test {
namespace {

const Bytes kSamples = Samples16({3000, -3000, 6000, -6000, 9000, -9000, 12000, -12000});

class LifetimeTest : public SoundTest {
 protected:
  void Load(ObjectNumber number) {
    const Bytes image = Wav(Pcm(1, 22050, 16), kSamples);
    ASSERT_EQ(LoadSoundFromMemory(number, image.data(), image.size()), 1);
  }
};

TEST_F(LifetimeTest, FreeingAPlayingSoundSilencesItAndEmptiesTheNumber) {
  Load(0);
  Load(1);
  ASSERT_EQ(PlaySoundEffect(0), 1);
  Render(3);
  FreeSound(0);
  EXPECT_TRUE(Silent(Render(100)));
  EXPECT_EQ(PlaySoundEffect(0), 0);
  // Freeing again, or a number that never held a sound, changes nothing.
  FreeSound(0);
  FreeSound(63);
  FreeSound(5000);
  FreeSound(kFirstAutomaticNumber);
  ASSERT_EQ(PlaySoundEffect(1), 1);
  EXPECT_FALSE(Silent(Render(3)));
}

TEST_F(LifetimeTest, FreedNumberCanBeLoadedAgain) {
  Load(0);
  FreeSound(0);
  Load(0);
  EXPECT_EQ(PlaySoundEffect(0), 1);
  EXPECT_FALSE(Silent(Render(3)));
}

TEST_F(LifetimeTest, FreeingAnAutomaticSoundRetiresItsHandle) {
  const Bytes image = Wav(Pcm(1, 22050, 16), kSamples);
  const ObjectNumber handle = LoadSoundFromMemory(kAutomaticObject, image.data(), image.size());
  ASSERT_GE(handle, kFirstAutomaticNumber);
  ASSERT_EQ(PlaySoundEffect(handle), 1);
  FreeSound(handle);
  EXPECT_EQ(PlaySoundEffect(handle), 0);
  EXPECT_TRUE(Silent(Render(50)));
}

TEST_F(LifetimeTest, StartingTwiceKeepsTheOneDeviceAndItsSounds) {
  Load(0);
  EXPECT_EQ(InitSoundSystem(), 1);
  EXPECT_EQ(PlaySoundEffect(0), 1);
}

TEST_F(LifetimeTest, EndRoutineFreesEverySoundAndClosesTheDevice) {
  Load(0);
  Load(70);
  ASSERT_EQ(PlaySoundEffect(0), 1);
  EndSoundSystem();
  EXPECT_FALSE(device_.AudioOpen());
  EXPECT_EQ(PlaySoundEffect(0), 0);
  EXPECT_EQ(PlaySoundEffect(70), 0);
  const Bytes image = Wav(Pcm(1, 22050, 16), kSamples);
  EXPECT_EQ(LoadSoundFromMemory(0, image.data(), image.size()), 0);
  EndSoundSystem();  // a second end finds nothing to do

  // A new start has a fresh, empty table.
  ASSERT_EQ(InitSoundSystem(), 1);
  EXPECT_TRUE(device_.AudioOpen());
  EXPECT_EQ(PlaySoundEffect(0), 0);
}

TEST_F(LifetimeTest, RuntimeEndRunsTheSoundEnd) {
  Load(0);
  EndRuntime();
  EXPECT_FALSE(device_.AudioOpen());
  EXPECT_EQ(PlaySoundEffect(0), 0);
}

std::vector<ObjectNumber> started;

void NoteStart(ObjectNumber number) {
  started.push_back(number);
}

TEST_F(LifetimeTest, ObserverHearsOfEveryStartedSoundAndNothingElse) {
  Load(0);
  Load(3);
  started.clear();
  SoundStarts().Connect(NoteStart);
  PlaySoundEffect(3);
  PlaySoundEffect(1);
  PlaySoundEffect(0);
  PlaySoundEffect(3);
  SoundStarts().Disconnect(NoteStart);
  PlaySoundEffect(0);
  EXPECT_EQ(started, (std::vector<ObjectNumber>{3, 0, 3}));
}

// Without a device nothing starts, and the library still ends cleanly.
class NoDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override { device_.SetAudioAvailable(false); }
  HeadlessRuntime device_;
};

TEST_F(NoDeviceTest, StartFailsAndSoundsCannotBeLoaded) {
  EXPECT_EQ(InitSoundSystem(), 0);
  const Bytes image = Wav(Pcm(1, 22050, 16), kSamples);
  EXPECT_EQ(LoadSoundFromMemory(0, image.data(), image.size()), 0);
  EXPECT_EQ(PlaySoundEffect(0), 0);
  FreeSound(0);
}

TEST_F(NoDeviceTest, CallsBeforeAnyStartDoNothing) {
  const Bytes image = Wav(Pcm(1, 22050, 16), kSamples);
  EXPECT_EQ(LoadSoundFromMemory(0, image.data(), image.size()), 0);
  EXPECT_EQ(PlaySoundEffect(0), 0);
  FreeSound(0);
  EndSoundSystem();
}

TEST_F(NoDeviceTest, LaterStartOpensTheDeviceOnceItIsThere) {
  EXPECT_EQ(InitSoundSystem(), 0);
  device_.SetAudioAvailable(true);
  EXPECT_EQ(InitSoundSystem(), 1);
  EXPECT_TRUE(device_.AudioOpen());
}

TEST_F(NoDeviceTest, DeviceWithALayoutTheMixerCannotFillIsClosedAgain) {
  device_.SetAudioAvailable(true);
  device_.SetAudioFormat({48000, 16, platform::SampleFormat::S16});
  EXPECT_EQ(InitSoundSystem(), 0);
  EXPECT_FALSE(device_.AudioOpen());
}

}  // namespace
}  // namespace rt::test
