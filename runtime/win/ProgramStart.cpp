#include "runtime/win/ProgramStart.h"

#include "runtime/win/Outcome.h"
#include "runtime/win/WinText.h"

#include <windows.h>

#include <exception>

namespace kf {

int RunProgram(const std::string& aCaption, const std::string& aFailure, TProgramBody aBody) {
    ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    TActionLog actions;
    bool silent = false;
    try {
        const TCommandLine options = ParseCommandLine(ArgumentsOf(Utf8(::GetCommandLineW())));
        silent = options.Silent;
        if (options.LogFile)
            actions.Open(Wide(*options.LogFile), options.Elevated || options.Original.has_value());
        return aBody(options, actions);
    } catch (const std::exception& error) {
        Tell(silent, actions, aCaption, aFailure + "\r\n\r\n" + error.what(), true);
        return kExitFailed;
    }
}

} // namespace kf
