#pragma once
// The kind of the CommandFailure a call throws, or none when it throws none;
// anything else it throws fails the test as it unwinds.

#include "data/Failures.h"

#include <optional>

namespace testsupport {

template <class Call> std::optional<FailureKind> FailureKindOf(Call&& call) {
    try {
        call();
    } catch (const CommandFailure& failure) {
        return failure.kind();
    }
    return std::nullopt;
}

}  // namespace testsupport
