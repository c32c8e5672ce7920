/* The smallest SDL2 program that does what the game's display does each frame: a 640 x 400 picture
 * shown 60 times a second in a window, with a silent audio stream open, paced by sleeping in
 * whole milliseconds past an absolute deadline. The game's presenting and pacing are
 * compared with it (scripts/measure-present).
 *
 *   peer_window_surface [--scale N | --fullscreen] [surface|texture] [SECONDS]
 *
 * surface: the picture is written into the window surface and its rectangle shown with
 *          SDL_UpdateWindowSurfaceRects.
 * texture: the picture is written into a streaming texture of an accelerated renderer without vsync
 *          and shown with SDL_RenderCopy and SDL_RenderPresent.
 * --scale N: the picture is N times 640 x 400 in a window of its size, as the game's at --scale=N.
 * --fullscreen: a window covering the desktop, the picture at the largest whole multiple of 640 x 400
 *          that fits, centred on black, as the game's full screen.
 * SECONDS: stop after this long (0 or none: run until Escape, the close box, SIGINT or SIGTERM).
 * Every pixel of the picture is computed afresh each frame, at its size on the screen: the same
 * pixels the game writes when it scales its own picture up.
 * On exit it prints the frames shown and how many missed their deadline by more than a frame.
 */
#include <SDL.h>
#include <signal.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

enum {
  kWidth = 640,
  kHeight = 400,
  kLargestScale = 16,
  kFrameRate = 60,
  kAudioRate = 44100,
  kAudioChannels = 2
};

static volatile sig_atomic_t stopRequested = 0;

static void OnSignal(int signalNumber) {
  (void)signalNumber;
  stopRequested = 1;
}

static void FillSilence(void* user, Uint8* stream, int length) {
  (void)user;
  memset(stream, 0, (size_t)length);
}

/* A moving diagonal gradient with a bright bar that scrolls down: every pixel changes a little
 * each frame, as a game's picture does, without costing more than a plain copy. */
static void DrawPicture(uint8_t* pixels, int pitch, int width, int height, unsigned frame) {
  for (int y = 0; y < height; ++y) {
    uint32_t* row = (uint32_t*)(pixels + (size_t)y * (size_t)pitch);
    const uint32_t bar = (unsigned)y == (frame * 2u) % (unsigned)height ? 0x00FFFFFFu : 0;
    const uint32_t green = (uint32_t)((y + frame) & 0xFF) << 8;
    for (int x = 0; x < width; ++x) {
      row[x] = bar | green | ((uint32_t)((x + frame) & 0xFF) << 16) | (uint32_t)((x ^ y) & 0xFF);
    }
  }
}

/* The picture's place in an output of the given size: `scale` times 640 x 400, or with a scale of 0
 * the largest whole multiple that fits (the full screen's), centred either way. */
static SDL_Rect PictureIn(int outputWidth, int outputHeight, int scale) {
  if (scale == 0) {
    scale = 1;
    while (kWidth * (scale + 1) <= outputWidth && kHeight * (scale + 1) <= outputHeight) ++scale;
  }
  SDL_Rect picture = {0, 0, kWidth * scale, kHeight * scale};
  picture.x = (outputWidth - picture.w) / 2;
  picture.y = (outputHeight - picture.h) / 2;
  return picture;
}

typedef struct {
  SDL_Surface* laidOut; /* the surface the black around the picture was drawn on, and its size */
  int width, height;
  SDL_Rect picture;
} SurfaceLayout;

static int DrawIntoWindowSurface(SDL_Window* window, int scale, SurfaceLayout* layout, unsigned frame) {
  /* Asked for every frame: SDL makes a new surface after the window is resized. */
  SDL_Surface* surface = SDL_GetWindowSurface(window);
  if (!surface) return -1;
  if (surface->format->BytesPerPixel != 4) {
    SDL_SetError("window surface has %d bytes a pixel, 4 expected", surface->format->BytesPerPixel);
    return -1;
  }
  /* A new surface may come at the old one's address. */
  const int newLayout =
      surface != layout->laidOut || surface->w != layout->width || surface->h != layout->height;
  if (newLayout) {
    SDL_FillRect(surface, NULL, 0);
    layout->laidOut = surface;
    layout->width = surface->w;
    layout->height = surface->h;
    layout->picture = PictureIn(surface->w, surface->h, scale);
  }
  SDL_Rect shown;
  if (!SDL_IntersectRect(&layout->picture, &(SDL_Rect){0, 0, surface->w, surface->h}, &shown)) return 0;
  if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) return -1;
  uint8_t* corner =
      (uint8_t*)surface->pixels + (size_t)shown.y * (size_t)surface->pitch + (size_t)shown.x * 4;
  DrawPicture(corner, surface->pitch, shown.w, shown.h, frame);
  if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
  /* The black around the picture is shown once; from then on, only the picture's rectangle. */
  return newLayout ? SDL_UpdateWindowSurface(window) : SDL_UpdateWindowSurfaceRects(window, &shown, 1);
}

static int DrawIntoTexture(SDL_Renderer* renderer, SDL_Texture* texture, const SDL_Rect* picture,
                           unsigned frame) {
  void* pixels = NULL;
  int pitch = 0;
  if (SDL_LockTexture(texture, NULL, &pixels, &pitch) != 0) return -1;
  DrawPicture(pixels, pitch, picture->w, picture->h, frame);
  SDL_UnlockTexture(texture);
  if (SDL_RenderClear(renderer) != 0 || SDL_RenderCopy(renderer, texture, NULL, picture) != 0) return -1;
  SDL_RenderPresent(renderer);
  return 0;
}

/* Escape, the close box (which SDL turns into SDL_QUIT for the last window) or a signal. */
static int QuitAsked(void) {
  SDL_Event event;
  int quit = 0;
  while (SDL_PollEvent(&event)) {
    if (event.type == SDL_QUIT) quit = 1;
    if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE) quit = 1;
    if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE) quit = 1;
  }
  return quit || stopRequested;
}

/* Sleeps with SDL_Delay, whole milliseconds at a time, until `deadline` has passed, as the simplest
 * program would: nothing is spun. */
static void WaitUntil(Uint64 deadline, Uint64 frequency) {
  for (;;) {
    const Uint64 now = SDL_GetPerformanceCounter();
    if (now >= deadline) return;
    SDL_Delay((Uint32)((deadline - now) * 1000 / frequency) + 1);
  }
}

static int Usage(const char* program) {
  fprintf(stderr, "usage: %s [--scale N | --fullscreen] [surface|texture] [SECONDS]\n", program);
  return 2;
}

int main(int argc, char** argv) {
  int useTexture = 0, scale = 1, fullScreen = 0;
  double seconds = 0;
  int next = 1;
  for (; next < argc && strncmp(argv[next], "--", 2) == 0; ++next) {
    if (strcmp(argv[next], "--fullscreen") == 0) {
      fullScreen = 1;
    } else if (strcmp(argv[next], "--scale") == 0 && next + 1 < argc) {
      char* end = NULL;
      const long asked = strtol(argv[++next], &end, 10);
      if (*end != '\0' || asked < 1 || asked > kLargestScale) return Usage(argv[0]);
      scale = (int)asked;
    } else {
      return Usage(argv[0]);
    }
  }
  if (fullScreen) scale = 0; /* the largest that fits */
  if (next < argc) {
    if (strcmp(argv[next], "texture") == 0) {
      useTexture = 1;
    } else if (strcmp(argv[next], "surface") != 0) {
      return Usage(argv[0]);
    }
    ++next;
  }
  if (next < argc) {
    char* end = NULL;
    seconds = strtod(argv[next], &end);
    if (*end != '\0' || seconds < 0) return Usage(argv[0]);
    ++next;
  }
  if (next < argc) return Usage(argv[0]);

  /* Installed before SDL_Init, so SDL keeps ours instead of posting SDL_QUIT itself. */
  struct sigaction action;
  memset(&action, 0, sizeof action);
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, NULL);
  sigaction(SIGTERM, &action, NULL);

  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_AUDIO | SDL_INIT_EVENTS) != 0) {
    fprintf(stderr, "SDL_Init: %s\n", SDL_GetError());
    return 1;
  }
  const int windowScale = scale == 0 ? 1 : scale;
  SDL_Window* window =
      SDL_CreateWindow("Present peer", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, kWidth * windowScale,
                       kHeight * windowScale, fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
  if (!window) {
    fprintf(stderr, "SDL_CreateWindow: %s\n", SDL_GetError());
    SDL_Quit();
    return 1;
  }

  SDL_AudioSpec desired, obtained;
  SDL_zero(desired);
  desired.freq = kAudioRate;
  desired.format = AUDIO_S16SYS;
  desired.channels = kAudioChannels;
  desired.samples = 1024;
  desired.callback = FillSilence;
  const SDL_AudioDeviceID audio = SDL_OpenAudioDevice(NULL, 0, &desired, &obtained, 0);
  if (audio == 0) {
    fprintf(stderr, "SDL_OpenAudioDevice: %s (going on without sound)\n", SDL_GetError());
  } else {
    SDL_PauseAudioDevice(audio, 0);
  }

  SDL_Renderer* renderer = NULL;
  SDL_Texture* texture = NULL;
  SDL_Rect picture = {0, 0, kWidth, kHeight};
  if (useTexture) {
    SDL_SetHint(SDL_HINT_RENDER_VSYNC, "0");
    renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED);
    int outputWidth = 0, outputHeight = 0;
    if (renderer && SDL_GetRendererOutputSize(renderer, &outputWidth, &outputHeight) == 0) {
      picture = PictureIn(outputWidth, outputHeight, scale);
      texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, picture.w,
                                  picture.h);
    }
    if (!texture) {
      fprintf(stderr, "renderer or texture: %s\n", SDL_GetError());
      if (renderer) SDL_DestroyRenderer(renderer);
      if (audio != 0) SDL_CloseAudioDevice(audio);
      SDL_DestroyWindow(window);
      SDL_Quit();
      return 1;
    }
    SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_NONE);
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(renderer, &info) == 0) fprintf(stderr, "renderer: %s\n", info.name);
  }

  const Uint64 frequency = SDL_GetPerformanceFrequency();
  const Uint64 period = frequency / kFrameRate;
  const Uint64 start = SDL_GetPerformanceCounter();
  const Uint64 stopAt = seconds > 0 ? start + (Uint64)(seconds * (double)frequency) : 0;
  Uint64 deadline = start + period;
  unsigned frame = 0, late = 0;
  int status = 0;
  SurfaceLayout layout = {NULL, 0, 0, {0, 0, 0, 0}};
  while (!QuitAsked()) {
    if (stopAt != 0 && SDL_GetPerformanceCounter() >= stopAt) break;
    const int shown = useTexture ? DrawIntoTexture(renderer, texture, &picture, frame)
                                 : DrawIntoWindowSurface(window, scale, &layout, frame);
    if (shown != 0) {
      fprintf(stderr, "presenting: %s\n", SDL_GetError());
      status = 1;
      break;
    }
    ++frame;
    WaitUntil(deadline, frequency);
    deadline += period;
    /* More than a frame behind: start the count again from now rather than catch up in a burst. */
    const Uint64 now = SDL_GetPerformanceCounter();
    if (now > deadline) {
      ++late;
      deadline = now + period;
    }
  }
  const double elapsed = (double)(SDL_GetPerformanceCounter() - start) / (double)frequency;
  fprintf(stderr, "%s: %u frames in %.2f s (%.2f a second), %u more than a frame late\n",
          useTexture ? "texture" : "surface", frame, elapsed, frame / elapsed, late);

  if (texture) SDL_DestroyTexture(texture);
  if (renderer) SDL_DestroyRenderer(renderer);
  if (audio != 0) SDL_CloseAudioDevice(audio);
  SDL_DestroyWindow(window);
  SDL_Quit();
  return status;
}
