#pragma once
// glenvar-cli speaks English: the model's failures, which carry the desktop
// program's Japanese texts, become "FILE: what went wrong".

#include <string>

class CommandFailure;

namespace cli {

// The line after "glenvar-cli: ", naming the file when the failure knows it.
std::string FailureText(const CommandFailure& failure);

}  // namespace cli
