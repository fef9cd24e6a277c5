#include "builder/MainMemberCheck.h"

#include "base/Exception.h"
#include "base/RegularFile.h"
#include "base/WholeFile.h"
#include "runtime/core/BitmapCheck.h"
#include "runtime/core/SetupContents.h"

#include <filesystem>

namespace kf {

bool CheckMainMember(const std::string& aPath, const std::string& aWhat) {
    // A folder, FIFO or device is refused here, naming what it is, before the writer waits on it.
    RefuseNonRegularFile(aPath);
    std::error_code error;
    const uintmax_t size = std::filesystem::file_size(aPath, error);
    if (error)
        return false; // the cabinet writer reports a member it cannot read
    if (const auto problem = MainMemberSizeProblem(size))
        throw Exception("Cannot build the setup: " + aWhat + " " + aPath + " " + *problem + ".");
    return true;
}

void CheckMainPicture(const std::string& aPath, const std::string& aWhat) {
    if (!CheckMainMember(aPath, aWhat))
        return;
    const TBitmapCheck check = CheckBitmap(ReadWholeFile(aPath, kMainMemberLimit));
    if (!check.Problem.empty())
        throw Exception("Cannot build the setup: " + aWhat + " " + aPath +
                        " is not a BMP picture the installer can show: " + check.Problem + ".");
}

} // namespace kf
