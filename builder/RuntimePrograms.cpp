#include "builder/RuntimePrograms.h"

#include "base/Exception.h"
#include "project/Project.h"

namespace kf {

TRuntimePrograms RuntimeProgramsFor(int aTargetWindows) {
    if (aTargetWindows == kTarget32Bit)
        return {"Installer.exe", "Uninstall.exe"};
    if (aTargetWindows == kTarget64Bit)
        return {"Installer64.exe", "Uninstall64.exe"};
    throw Exception("Cannot build the setup: the project's target Windows is neither \"32-bit (x86)\" nor "
                    "\"64-bit (x64)\"; choose one on the General page.");
}

} // namespace kf
