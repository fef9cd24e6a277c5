#pragma once

#include <functional>
#include <string>

namespace kf::test {

// The message of the error that aCall raises, or "" when it raises none.
std::string ErrorText(const std::function<void()>& aCall);

} // namespace kf::test
