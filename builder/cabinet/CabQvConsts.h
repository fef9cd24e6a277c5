#pragma once

#include <string>

namespace kf {

// Texts of the cabinet errors, kept in one place so that they can be replaced or translated.
std::string FCIErrorText(int anError);
std::string FDIErrorText(int anError);

} // namespace kf
