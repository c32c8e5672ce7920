// The functions of web_library.js, the page's half of the backend, as C++ calls them. The two that
// wait (for the next frame, for the dialog's answer) suspend the program through Asyncify.
#pragma once

#include <cstdint>

extern "C" {

// Finds the page's elements and starts listening; idempotent.
void pellaris_web_start();
int pellaris_web_page_focused();  // 1 while the document has the focus
void pellaris_web_screen_size(int* width, int* height);

void pellaris_web_open_window(int width, int height, int fullScreen, int visible);
void pellaris_web_close_window();
void pellaris_web_show_window(int visible);
void pellaris_web_set_title(const char* title);
void pellaris_web_set_icon(const std::uint32_t* rgba, int width, int height);
void pellaris_web_show_cursor(int visible);
// The canvas as large as fits (1) or at the largest whole multiple that fits (0).
void pellaris_web_set_fit(int fit);
// Draws width x height RGBA pixels into the canvas's (x, y, destWidth, destHeight) area; with
// `fit` the canvas takes the picture's size and the whole picture (full screen).
void pellaris_web_present(const std::uint32_t* rgba, int width, int height, int x, int y, int destWidth,
                          int destHeight, int fit);
// Copies the canvas's RGBA bytes into `rgba`; 0 when its size is not width x height.
int pellaris_web_read_canvas(std::uint32_t* rgba, int width, int height);

// Reads `count` slots of the browser's controllers into `slots` (rt::platform::PadReading each).
void pellaris_web_read_pads(void* slots, int count);
// How many controllers the game uses, and how many it does not (not in the standard layout).
void pellaris_web_pads_seen(int connected, int otherLayouts);

// Waits for the page's next frame, at most 60 a second (Asyncify).
void pellaris_web_wait_frame();
// Shows the message box and waits for its answer (Asyncify): 0 OK, 1 Yes, 2 No.
int pellaris_web_message(const char* title, const char* text, int yesNo);

// Web Audio pulling interleaved stereo floats from pellaris_web_fill_audio(owner, ...) once the page
// may play (after the first key or click). Returns the sample rate, or 0 without Web Audio.
int pellaris_web_open_audio(void* owner);
void pellaris_web_close_audio();

std::uint32_t pellaris_web_tick_ms();  // milliseconds of the page's wall clock, wrapping
int pellaris_web_location(char* buffer, int size);
void pellaris_web_ended();

// The page's replay mode: set by whoever loads the page (a test), read once by main.
int pellaris_web_replay_request(std::uint32_t* seed, int* answerYes, int* frames, char** script);
void pellaris_web_replay_line(const char* kind, const char* line);
void pellaris_web_replay_done(int status);
}
