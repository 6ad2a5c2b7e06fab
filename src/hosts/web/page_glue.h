// The page-side functions of page_glue.js, and the input listeners of event_messages.cpp.
#pragma once

#include <cstdint>

#include "host/messages.h"

extern "C" {
int skypop_page_visible();
void skypop_show_pointer(int visible);
void skypop_show_resume(int shown);
void skypop_listen_touch(int on);
int skypop_pointer_is_touch();
int skypop_page_control_focused();
void skypop_show_picture(const uint8_t* rgba, int width, int height);
// 1 when the picture is drawn with WebGL (skypop_show_indexed), 0 for a 2D canvas
// (skypop_show_picture).
int skypop_picture_open(int width, int height);
// width x height 8-bit indices, row after row, and the 256 RGBA colours, or null when they are
// the ones shown last.
void skypop_show_indexed(const uint8_t* indices, int width, int height, const uint8_t* palette);
uint32_t skypop_picture_point(double clientX, double clientY, int width, int height);
void skypop_show_message(const char* text, const char* caption);
double skypop_clock_ms();
void skypop_run_frames();
void skypop_game_ended();
int skypop_folder_lasts();
void skypop_folder_lock();
void skypop_folder_read();
void skypop_folder_write();
void skypop_folder_unlock();
void skypop_audio_pump();  // audio.js
}

namespace platform {

// Starts turning the page's keyboard, mouse, touch, focus and visibility events into window
// messages.
void ListenToPage();
// Stops it; the page's events then do nothing.
void StopListeningToPage();
// The loop found nothing to do and would wait: the page ends this animation frame's passes.
void NoteLoopWaiting();
// Samples the gamepads; true with a joystick message in *out when joystick 1 changed since the
// last call (moved, pressed, released, came or went).
bool PollJoystick(Message* out);

}  // namespace platform
