#include "game/game.h"

#include "assets/catalogue.h"
#include "game/asset_numbers.h"
#include "game/entities.h"
#include "game/field.h"
#include "game/round.h"
#include "game/state.h"
#include "game/title.h"
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

void PlayGame() {
  ListFree(entities);
  LoadAssets();
  MakeStarfield();
  AssignText("");
  if (RunTitleScreen() == TitleResult::Quit) return;
  while (RunRound() == RoundResult::Restart) {
  }
}

}  // namespace pellaris
