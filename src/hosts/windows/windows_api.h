// <windows.h> as the Windows host includes it. Win32 defines some names as macros that are also
// the game's own (PostMessage, PeekMessage, MessageBox, FindResource, DefWindowProc): they are
// taken back here, so the game's functions keep their names and this host calls the Win32 ones
// by their wide names (PostMessageW...).
#pragma once

#include <windows.h>
// After <windows.h>, which it needs: winmm's timers, joysticks and MIDI output.
#include <mmsystem.h>

#undef PostMessage
#undef PeekMessage
#undef MessageBox
#undef FindResource
#undef DefWindowProc
#undef CreateWindow

#include <string>

namespace platform {

// UTF-8 (the game's text and paths) to UTF-16 (the Win32 API's) and back.
std::wstring Wide(const std::string& utf8);
std::string Utf8(const wchar_t* wide);

}  // namespace platform
