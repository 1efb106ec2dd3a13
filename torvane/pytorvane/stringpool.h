// Names the runtime reads from the binding by offset into one pool.
#pragma once

#include <cstddef>

inline constexpr char bindingStrings[] =
    "pytorvane\0"
    "AbstractItemView\0"
    "HeaderIndex\0"
    "NullValue\0"
    "StandardItem\0";

consteval int poolOffset(const char *name)
{
    for (std::size_t at = 0; at < sizeof(bindingStrings) - 1;) {
        std::size_t n = 0;
        while (name[n] && bindingStrings[at + n] == name[n])
            ++n;
        if (!name[n] && !bindingStrings[at + n])
            return int(at);
        while (bindingStrings[at])
            ++at;
        ++at;
    }
    throw "name missing from the binding's string pool";
}
