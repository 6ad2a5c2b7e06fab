// Synthesis of the game's two sound effects from their recipes, as complete wave files.
#pragma once

#include <cstdint>
#include <vector>

#include "recipe.h"

namespace effects {

// The samples of each effect before they are made 8-bit: -1..1 at kRate, kSamples long.
std::vector<double> SynthesizePop(const PopRecipe& recipe);
std::vector<double> SynthesizeWhistle(const WhistleRecipe& recipe);

// The two wave files, byte for byte as the game embeds them (RIFF, 'fmt ' of 16 bytes at 12,
// 'data' at 36, 8-bit unsigned mono samples, nothing after).
std::vector<uint8_t> MakeBann();
std::vector<uint8_t> MakeHyuu();

}  // namespace effects
