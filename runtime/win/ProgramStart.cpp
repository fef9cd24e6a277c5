#include "runtime/win/ProgramStart.h"

#include "runtime/win/Outcome.h"
#include "runtime/win/WinText.h"

#include <windows.h>

#include <exception>

namespace kf {

int RunProgram(const std::string& aCaption, const std::string& aFailure, TProgramBody aBody) {
    ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    TActionLog actions;
    const std::string arguments(ArgumentsOf(Utf8(::GetCommandLineW())));
    TCommandLine options = SilenceAndLogOf(arguments);
    try {
        options = ParseCommandLine(arguments);
        if (options.LogFile)
            actions.Open(Wide(*options.LogFile), options.Elevated || options.Original.has_value());
        return aBody(options, actions);
    } catch (const std::exception& error) {
        // A command line that cannot be read is still told as it asked: with /S, in its log only.
        if (options.LogFile && !actions.IsOpen()) {
            try {
                actions.Open(Wide(*options.LogFile));
            } catch (const std::exception&) {
                // The error still reaches stderr or its message box.
            }
        }
        Tell(options.Silent, actions, aCaption, aFailure + "\r\n\r\n" + error.what(), true);
        return kExitFailed;
    }
}

} // namespace kf
