// The backend of the game in a browser page: the canvas, the keyboard and mouse, focus and
// visibility, Web Audio, an HTML dialog for message boxes, and frames paced by the page's animation
// frames. Built only with Emscripten; the page's half is web_library.js.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "runtime/platform/platform.h"

namespace rt::platform {

class WebBackend {
 public:
  virtual ~WebBackend() = default;
  // Every facet of the page, to install.
  virtual Backend Facets() = 0;
  // The program has ended: the page says so, and offers to play again.
  virtual void ShowEnded() = 0;
  // The picture at the largest whole multiple of its size that fits (false), or as large as fits,
  // keeping its shape (true); either way with sharp pixels, and smaller than its size only where it
  // must be (a phone's screen).
  virtual void SetFitScaling(bool fit) = 0;
};

std::unique_ptr<WebBackend> CreateWebBackend();

// The page's canvas on its own, for a program that runs the game on other facets (the replay mode of
// the page): shows a picture as Present shows a full-screen one, and reads back what the canvas holds,
// as 0x00RRGGBB pixels.
void ShowOnCanvas(const std::uint32_t* pixels, int width, int height, int pitchBytes);
bool ReadCanvas(std::vector<std::uint32_t>& pixels, int width, int height);

// What whoever loaded the page asked the replay mode for (Module.pellarisReplay), and its answers.
struct ReplayRequest {
  std::uint32_t seed = 1;
  bool answerYes = false;
  int frames = 0;
  std::string script;
};
bool ReadReplayRequest(ReplayRequest& request);
// A line of results of one kind ("presented", "canvas"), and the end with the run's status.
void ReportReplayLine(const std::string& kind, const std::string& line);
void ReportReplayDone(int status);
// Lets the page handle its events and paint; the program goes on afterwards.
void YieldToPage();

}  // namespace rt::platform
