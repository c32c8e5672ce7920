// A started runtime with the game's assets loaded on an open 640 x 400 x 32 headless screen, so the
// game's own steps (entity pass, craft step, shots) can be run one at a time.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "game/entities.h"
#include "game/game.h"
#include "game/state.h"
#include "runtime/core/random.h"
#include "runtime/display/screen.h"
#include "runtime/input/keyboard.h"
#include "runtime/platform/headless/headless_platform.h"
#include "runtime/sound/sound.h"
#include "runtime/sprites/sprite.h"
#include "tests/support/headless_runtime.h"

namespace pellaris {

class GameWorld : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearGameState();
    using rt::test::RuntimePart;
    ASSERT_TRUE(machine.Start(
        {RuntimePart::SpriteSystem, RuntimePart::Keyboard, RuntimePart::Sound, RuntimePart::Mouse}));
    SetStartValues();
    ASSERT_TRUE(rt::OpenScreen(640, 400, 32, "Pellaris"));
    ListFree(entities);
    LoadAssets();
    rt::RandomSeed(7);
    sounds = &played_;
    rt::SoundStarts().Connect(NoteSound);
  }
  void TearDown() override {
    rt::SoundStarts().Disconnect(NoteSound);
    ListFree(entities);
  }

  // A still entity of a kind at a place, appended at the end of the list.
  Entity& Add(std::int16_t kind, float x, float y, float frame = 0.0f) {
    while (ListAdvance(entities)) {
    }
    Entity& entity = *ListInsert(entities);
    entity.kind = kind;
    entity.x = x;
    entity.y = y;
    entity.frame = frame;
    return entity;
  }
  int Count(std::int16_t kind) {
    int count = 0;
    ListRewind(entities);
    while (const Entity* entity = ListAdvance(entities)) count += entity->kind == kind;
    return count;
  }
  std::vector<Entity> All() {
    std::vector<Entity> all;
    ListRewind(entities);
    while (const Entity* entity = ListAdvance(entities)) all.push_back(*entity);
    return all;
  }
  void Hold(int scanCode) {
    machine.Apply(rt::platform::Action::KeyDown(scanCode));
    rt::ReadKeyboard();
  }

  rt::test::HeadlessRuntime machine;
  std::vector<int> played_;
  static inline std::vector<int>* sounds = nullptr;
  static void NoteSound(rt::ObjectNumber number) { sounds->push_back(static_cast<int>(number)); }
};

}  // namespace pellaris
