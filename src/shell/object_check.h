#pragma once

#include <memory>
#include <stdexcept>

namespace tw::shell {

// A handler's object that failed to be created is reported where it is
// first used, with the platform's wording.
template <typename T> T& Object(const std::unique_ptr<T>& object)
{
    if (!object)
        throw std::runtime_error("Object variable or With block variable not set");
    return *object;
}

} // namespace tw::shell
