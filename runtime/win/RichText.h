#pragma once

#include <windows.h>

#include <string>

namespace kf {

// A read-only rich-edit control from the system folder's msftedit.dll; null when it is missing.
HWND CreateRichText(HWND aParent, int anId);
// Shows an RTF document in such a control.
void ShowRichText(HWND aControl, const std::string& aDocument);

} // namespace kf
