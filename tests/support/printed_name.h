// Names the cases of a parameterised test after their printed value (PrintTo), so that ctest lists
// "Cases/Amounts.X/digits_105" rather than "/1": only letters, digits and single underscores.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace kova::testing_support {

struct PrintedName {
    template <class Info>
    std::string operator()(const Info& info) const {
        std::string name;
        for (const char c : ::testing::PrintToString(info.param)) {
            if (std::isalnum(static_cast<unsigned char>(c))) {
                name += c;
            } else if (!name.empty() && name.back() != '_') {
                name += '_';
            }
        }
        while (!name.empty() && name.back() == '_') name.pop_back();
        return name.empty() ? std::to_string(info.index) : name;
    }
};

}  // namespace kova::testing_support
