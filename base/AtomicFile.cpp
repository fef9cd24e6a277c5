#include "base/AtomicFile.h"

#include "base/Exception.h"
#include "base/TemporaryFile.h"

namespace kf {

void WriteFileAtomically(const std::string& aPath, std::string_view aBytes) {
    TTemporaryFile temporary(aPath);
    const bool done = temporary.IsOpen() && temporary.WriteAll(aBytes) && temporary.CopyModeFrom(aPath) &&
                      temporary.CommitTo(aPath);
    if (!done)
        throw Exception(temporary.FailureText(aPath));
}

} // namespace kf
