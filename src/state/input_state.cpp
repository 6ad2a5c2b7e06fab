#include "state/input_state.h"

InputState input{};

void ResetInputState() {
  input = InputState{};
}
