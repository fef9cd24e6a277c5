#include "builder/cabinet/CabQvConsts.h"

#include <array>

namespace kf {

namespace {

constexpr std::array<const char*, 9> kFCIErrors = {
    "No error",
    "Failure opening file to be stored in cabinet",
    "Failure reading file to be stored in cabinet",
    "Out of memory in FCI",
    "Could not create a temporary file",
    "Unknown compression type",
    "Could not create cabinet file",
    "Client requested abort",
    "Failure compressing data",
};
constexpr const char* kFCIOther = "FCI error";

constexpr std::array<const char*, 12> kFDIErrors = {
    "No error",
    "Cabinet not found",
    "Cabinet file does not have the correct format",
    "Cabinet file has an unknown version number",
    "Cabinet file is corrupt",
    "Could not allocate enough memory",
    "Unknown compression type in a cabinet folder",
    "Failure decompressing data from a cabinet file",
    "Failure writing to target file",
    "Cabinets in a set do not have the same RESERVE sizes",
    "Cabinet returned on fdintNEXT_CABINET is incorrect",
    "FDI aborted",
};
constexpr const char* kFDIOther = "FDI error";

template <size_t N>
std::string Lookup(const std::array<const char*, N>& aTable, int anError, const char* anOther) {
    return anError >= 0 && static_cast<size_t>(anError) < N ? aTable[static_cast<size_t>(anError)] : anOther;
}

} // namespace

std::string FCIErrorText(int anError) {
    return Lookup(kFCIErrors, anError, kFCIOther);
}

std::string FDIErrorText(int anError) {
    return Lookup(kFDIErrors, anError, kFDIOther);
}

} // namespace kf
