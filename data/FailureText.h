#pragma once
// The model's failures in English, as every front end beyond the desktop
// program words them (glenvar-cli, Python, the page): the desktop program's
// Japanese texts become "FILE: what went wrong"; failures that already speak
// English keep their text.

#include <string>

class CommandFailure;

// One line, naming the file when the failure knows it.
std::string FailureText(const CommandFailure& failure);
