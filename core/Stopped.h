#pragma once
// What a long operation throws when its progress sink asked it to stop. It
// carries no failure: a front end that asked for the stop expects it and
// leaves no partial result behind.

#include <exception>

class Stopped : public std::exception {
  public:
    const char* what() const noexcept override { return "stopped"; }
};
