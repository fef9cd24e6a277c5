#pragma once

#include <stdexcept>
#include <string>

namespace kf {

// Base of every error that ends a command; its text is shown to the user as it stands.
class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& aMessage) : std::runtime_error(aMessage) {}
};

} // namespace kf
