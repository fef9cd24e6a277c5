#include "ErrorText.h"

#include "base/Exception.h"

namespace kf::test {

std::string ErrorText(const std::function<void()>& aCall) {
    try {
        aCall();
    } catch (const Exception& error) {
        return error.what();
    }
    return "";
}

} // namespace kf::test
