#include "game/game.h"

#include <optional>

#include "assets/catalogue.h"
#include "game/asset_numbers.h"
#include "game/entities.h"
#include "game/field.h"
#include "game/round.h"
#include "game/round_start.h"
#include "game/state.h"
#include "game/title.h"
#include "runtime/core/random.h"
#include "runtime/input/keyboard.h"
#include "runtime/input/mouse.h"
#include "runtime/sound/sound.h"
#include "runtime/sprites/image.h"
#include "runtime/sprites/png_decoder.h"
#include "runtime/sprites/sprite.h"

namespace pellaris {

namespace {

void LoadPicture(const assets::AssetImage& image) {
  rt::LoadSpriteFromMemory(image.number, image.data, image.length);
}

}  // namespace

void LoadAssets() {
  rt::EnablePngDecoder();
  for (const assets::AssetImage& sound : assets::SoundImages()) {
    rt::LoadSoundFromMemory(sound.number, sound.data, sound.length);
  }
  // The title logo, the sparks and the craft come first; the craft's height places it.
  for (const assets::AssetImage& picture : assets::PicturesBeforeStarfield()) LoadPicture(picture);
  craftHeight = static_cast<std::int16_t>(rt::SpriteHeight(kCraftSprite));
  craftY = (static_cast<float>(kFieldHeight) - static_cast<float>(craftHeight)) / 2.0f;
  craftX = 40.0f;
  rt::CreateSprite(kStarfieldSprite, kFieldWidth, kFieldHeight);
  for (const assets::AssetImage& picture : assets::PicturesAfterStarfield()) LoadPicture(picture);
}

namespace {

void StartUp() {
  ListFree(entities);
  LoadAssets();
  MakeStarfield();
  AssignText("");
}

void PlayRounds() {
  while (RunRound() == RoundResult::Restart) {
  }
}

// The round this game would set up once the generator has given `draws` numbers in all, or none
// when it has given more already.
std::optional<RoundStart> RoundSetUpAfter(std::uint64_t draws) {
  const std::uint64_t setUpDraws = std::uint64_t{kStartRocks} * kSpawnDraws;
  const std::uint64_t drawn = rt::TakeRandomState().draws;
  if (draws < drawn + setUpDraws) return std::nullopt;
  rt::SkipRandomDraws(draws - setUpDraws - drawn);
  SetUpRound();
  return TakeRoundStart();
}

}  // namespace

void PlayGame() {
  StartUp();
  if (RunTitleScreen() == TitleResult::Quit) return;
  PlayRounds();
}

void PlayGameFrom(const RoundStart& start, RoundStart* expected) {
  StartUp();
  if (expected) *expected = RoundSetUpAfter(start.random.draws).value_or(RoundStart{});
  RestoreRoundStart(start);
  rt::ReadKeyboard();
  rt::ReadMouse();
  if (ResumeRound() == RoundResult::Restart) PlayRounds();
}

}  // namespace pellaris
