#include "shell/input_state.h"

InputState input{};

void ResetInputState() {
  input = InputState{};
}
