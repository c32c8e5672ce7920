#include "runtime/sprites/sprite.h"

#include <new>

#include "runtime/core/runtime_state.h"
#include "runtime/display/screen.h"
#include "runtime/sprites/blit.h"

namespace rt {

namespace {

// Sizes are kept as signed 16-bit values in the sprite record.
constexpr int kLargestSpriteSide = 0x7FFF;
constexpr int kTableStep = 64;

// The sprite table while the store runs, and the one drawing target for sprites, out until its
// drawing ends. The target record outlives the table: a drawing may still hold it.
struct SpriteStore : LibraryState {
  std::unique_ptr<ObjectTable<Sprite>> table;
  DrawingTarget drawingTarget;
  bool targetOut = false;
};

SpriteStore& Store() {
  return PartOf<SpriteStore>(Runtime().sprites);
}

ObjectTable<Sprite>* Table() {
  return Store().table.get();
}

void FreeEverySprite() {
  ObjectTable<Sprite>* table = Table();
  if (!table) return;
  table->ResetIteration();
  ObjectNumber number = 0;
  while (table->Next(&number)) FreeSprite(number);
}

void EndSpriteDrawing() {
  SpriteStore& store = Store();
  // The drawing went straight into the pixels: derived blit data is stale now.
  if (store.drawingTarget.surface) store.drawingTarget.surface->Touch();
  store.drawingTarget = DrawingTarget{};
  store.targetOut = false;
}

// The surface depth for sprites made on the open screen; 0 when no screen can hold one.
int SpriteSurfaceDepth() {
  const int depth = ScreenDepth();
  return depth == 8 || depth == 16 || depth == 24 || depth == 32 ? depth : 0;
}

bool DepthSuitsScreen(int depth, int screenDepth) {
  return depth == 0 || depth == screenDepth || (depth >= 16 && screenDepth >= 16);
}

bool MakeSurface(Sprite& sprite, int surfaceDepth) {
  try {
    sprite.surface = Surface(sprite.width, sprite.height, surfaceDepth);
  } catch (const std::bad_alloc&) {
    sprite.surface = Surface();
  }
  return !sprite.surface.Empty();
}

ObjectNumber CreationResult(ObjectNumber requested, ObjectNumber assigned) {
  return requested == kAutomaticObject ? assigned : 1;
}

}  // namespace

void StartSpriteStore() {
  if (Table()) return;
  Store().table = std::make_unique<ObjectTable<Sprite>>(kTableStep, FreeSprite);
  Runtime().screenClosing.Connect(FreeEverySprite);
  ComputeBlendTable();  // now, rather than in the middle of the first translucent blit
}

void EndSpriteStore() {
  Runtime().screenClosing.Disconnect(FreeEverySprite);
  FreeEverySprite();
  Store().table.reset();
  EndSpriteDrawing();
}

bool CreateSpriteSurface(Sprite& sprite, int width, int height, int depth, int mode) {
  sprite = Sprite{};
  if (width <= 0 || height <= 0 || width > kLargestSpriteSide || height > kLargestSpriteSide) return false;
  sprite.width = width;
  sprite.height = height;
  sprite.depth = depth;
  sprite.mode = mode;
  if (mode == SpriteModePlainMemory) {
    if (depth != 0 && depth != 8 && depth != -2) return false;
    sprite.depth = -2;
    return MakeSurface(sprite, 8);
  }
  const int screenDepth = SpriteSurfaceDepth();
  if (screenDepth == 0 || !DepthSuitsScreen(depth, screenDepth)) return false;
  sprite.colorKeyed = (mode & SpriteModeAlpha) == 0;
  return MakeSurface(sprite, sprite.colorKeyed ? screenDepth : 32);
}

Sprite* AllocateSprite(ObjectNumber number, ObjectNumber* assigned) {
  ObjectTable<Sprite>* table = Table();
  return table ? table->Allocate(number, assigned) : nullptr;
}

Sprite* FindSprite(ObjectNumber number) {
  ObjectTable<Sprite>* table = Table();
  if (!table) return nullptr;
  Sprite* sprite = table->Find(number);
  return sprite && !sprite->surface.Empty() ? sprite : nullptr;
}

void FreeSprite(ObjectNumber number) {
  ObjectTable<Sprite>* table = Table();
  if (!table) return;
  Sprite* sprite = table->Get(number);
  // A target still out on this sprite must not keep pointing at released pixels.
  DrawingTarget& target = Store().drawingTarget;
  if (sprite && target.surface == &sprite->surface) target.surface = nullptr;
  table->Free(number);
}

ObjectNumber CreateSprite(ObjectNumber number, int width, int height, int mode) {
  ObjectNumber assigned = 0;
  Sprite* sprite = AllocateSprite(number, &assigned);
  if (!sprite) return 0;
  // Plain memory holds the indices of 8-bit images only: it is never made empty.
  if (mode == SpriteModePlainMemory || !CreateSpriteSurface(*sprite, width, height, ScreenDepth(), mode)) {
    FreeSprite(assigned);
    return 0;
  }
  return CreationResult(number, assigned);
}

ObjectNumber CopySprite(ObjectNumber source, ObjectNumber destination) {
  const Sprite* original = FindSprite(source);
  if (!original) return 0;
  // Copying a sprite onto itself leaves it as it is rather than freeing it first.
  if (FindSprite(destination) == original) return 1;
  ObjectNumber assigned = 0;
  Sprite* copy = AllocateSprite(destination, &assigned);
  if (!copy) return 0;
  try {
    copy->surface = original->surface.Clone();
  } catch (const std::bad_alloc&) {
    FreeSprite(assigned);
    return 0;
  }
  copy->width = original->width;
  copy->height = original->height;
  copy->depth = original->depth;
  copy->mode = original->mode;
  copy->colorKeyed = original->colorKeyed;
  return CreationResult(destination, assigned);
}

int SpriteWidth(ObjectNumber number) {
  const Sprite* sprite = FindSprite(number);
  return sprite ? sprite->width : 0;
}

int SpriteHeight(ObjectNumber number) {
  const Sprite* sprite = FindSprite(number);
  return sprite ? sprite->height : 0;
}

DrawingTarget* SpriteTarget(ObjectNumber number) {
  SpriteStore& store = Store();
  if (store.targetOut) return nullptr;
  Sprite* sprite = FindSprite(number);
  if (!sprite || sprite->depth == -2) return nullptr;
  store.drawingTarget = DrawingTarget{&sprite->surface, ScreenDepth(), ScreenPixelFormat(), EndSpriteDrawing};
  store.targetOut = true;
  return &store.drawingTarget;
}

}  // namespace rt
