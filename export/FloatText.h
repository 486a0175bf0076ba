#pragma once
// Floats as mesh files write them: the shortest decimal text that reads back
// as the same float, in std::to_chars's form (fixed or exponent, whichever is
// shorter, fixed on a tie), so that the page's files are the command line's.

#include <string>

std::string ShortestFloatText(float value);

// The same text built with printf and strtof, for libraries without a
// floating-point to_chars (emscripten's); finite values only.
std::string ShortestFloatTextByPrintf(float value);
