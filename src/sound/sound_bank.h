// The short sampled effects: effect 0 the pop (BANN), effect 1 the delete whistle (HYUU).
#pragma once

#include "platform/window_handle.h"

void OpenSoundBank(WindowHandle window, const char* const* names, int count);
bool LoadEffect(int index, const char* name);
void PlayEffect(int index);
void CloseSoundBank();
