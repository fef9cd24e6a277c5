#include "runtime/core/ByteWindow.h"

namespace kf {

TByteWindow::TByteWindow(TByteSource& aSource, uint64_t anOffset, uint64_t aLength)
    : fSource(aSource), fOffset(anOffset), fLength(aLength) {
    aSource.RequireRange(anOffset, aLength);
}

std::string TByteWindow::Read(uint64_t anOffset, size_t aLength) {
    RequireRange(anOffset, aLength);
    return fSource.Read(fOffset + anOffset, aLength);
}

} // namespace kf
