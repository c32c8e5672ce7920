// The sprite store: numbered pixel surfaces in the screen's pixel format. Pixel value 0 is the one
// colour key of every sprite: transparent for blits and collision.
#pragma once

#include <cstdint>
#include <memory>

#include "runtime/core/object_table.h"
#include "runtime/display/drawing_target.h"
#include "runtime/display/surface.h"

namespace rt {

enum SpriteMode : int {
  SpriteModeDefault = 0,
  SpriteModeSystemMemory = 1,
  SpriteModePlainMemory = 2,  // one byte per pixel, 8-bit sources only
  SpriteModeTexture = 4,
  SpriteModeAlpha = 8,  // 32-bit with alpha kept, no colour key
};

struct Sprite {
  Surface surface;            // empty means the entry is free
  int width = 0, height = 0;  // visible size: the whole surface, always
  int depth = 0;              // depth the sprite was made for; -2 for plain memory
  int mode = SpriteModeDefault;
  bool colorKeyed = true;  // false only for SpriteModeAlpha
  // Data derived from the pixels for fast blits (opaque runs, masks), rebuilt when the surface's
  // generation moves on. Owned by the blitter.
  std::shared_ptr<void> blitCache;
  std::uint64_t blitCacheGeneration = ~std::uint64_t{0};
};

// The sprite table, part of starting the sprite system (InitSpriteSystem in runtime/runtime.h).
// Its end frees every sprite.
void StartSpriteStore();
void EndSpriteStore();

ObjectNumber CreateSprite(ObjectNumber number, int width, int height, int mode = SpriteModeDefault);
ObjectNumber CopySprite(ObjectNumber source, ObjectNumber destination);
int SpriteWidth(ObjectNumber number);
int SpriteHeight(ObjectNumber number);
DrawingTarget* SpriteTarget(ObjectNumber number);
void FreeSprite(ObjectNumber number);

// The live sprite of a number, or nullptr: what blits, collision and the loader work on.
Sprite* FindSprite(ObjectNumber number);
// Fills a record's surface for the given size, source depth and mode; false when nothing was made.
bool CreateSpriteSurface(Sprite& sprite, int width, int height, int depth, int mode);
// Takes the table entry for a new sprite of the number (the old one freed first); nullptr if the
// sprite system is not running. `assigned` receives the number or automatic handle.
Sprite* AllocateSprite(ObjectNumber number, ObjectNumber* assigned);

}  // namespace rt
