#include "runtime/win/RichText.h"

#include <richedit.h>

#include <algorithm>
#include <cstring>

namespace kf {

namespace {

struct TReader {
    const std::string& Text;
    size_t Position = 0;
};

DWORD CALLBACK ReadDocument(DWORD_PTR aCookie, LPBYTE aBuffer, LONG aLength, LONG* aRead) {
    auto* reader = reinterpret_cast<TReader*>(aCookie);
    const size_t count =
        std::min<size_t>(static_cast<size_t>(aLength), reader->Text.size() - reader->Position);
    std::memcpy(aBuffer, reader->Text.data() + reader->Position, count);
    reader->Position += count;
    *aRead = static_cast<LONG>(count);
    return 0;
}

} // namespace

HWND CreateRichText(HWND aParent, int anId) {
    static const HMODULE library = ::LoadLibraryExW(L"msftedit.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!library)
        return nullptr;
    return ::CreateWindowExW(WS_EX_CLIENTEDGE, MSFTEDIT_CLASS, L"",
                             WS_CHILD | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, 0, 0, 0, 0,
                             aParent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(anId)), nullptr, nullptr);
}

void ShowRichText(HWND aControl, const std::string& aDocument) {
    TReader reader{aDocument};
    EDITSTREAM stream{};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&reader);
    stream.pfnCallback = ReadDocument;
    ::SendMessageW(aControl, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
}

} // namespace kf
