// Where the running program lives: the game finds the data files it is installed with (its
// soundfont) from there, wherever the game itself was put.
#pragma once

#include <string>

namespace platform {

// The folder of the running program's executable, links resolved, without a trailing separator;
// empty when the machine cannot say.
std::string ProgramFolder();

}  // namespace platform
