// The number of the fault an action throws, or 0 when it throws none.
#pragma once

#include <functional>

#include "core/faults.h"

namespace kova::core_tests {

inline int faultNumberOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Fault& fault) {
        return fault.number();
    }
    return 0;
}

}  // namespace kova::core_tests
