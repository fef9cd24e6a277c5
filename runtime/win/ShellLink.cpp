#include "runtime/win/ShellLink.h"

#include "base/Exception.h"
#include "runtime/win/WinText.h"

#include <cstdio>
#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>
#include <windows.h>

namespace kf {

namespace {

template <typename T> class TComPointer {
public:
    ~TComPointer() {
        if (fPointer)
            fPointer->Release();
    }
    T** Out() { return &fPointer; }
    T* operator->() const { return fPointer; }

private:
    T* fPointer = nullptr;
};

void Check(HRESULT aResult, const std::string& aLink) {
    if (FAILED(aResult)) {
        char code[16];
        std::snprintf(code, sizeof code, "%08lX", static_cast<unsigned long>(aResult));
        throw Exception("Cannot create the shortcut " + aLink + " (error 0x" + code + ").");
    }
}

} // namespace

void CreateShellLink(const std::string& aLink, const std::string& aTarget,
                     const std::string& aWorkingFolder) {
    TComPointer<IShellLinkW> link;
    Check(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                             reinterpret_cast<void**>(link.Out())),
          aLink);
    Check(link->SetPath(Wide(aTarget).c_str()), aLink);
    Check(link->SetWorkingDirectory(Wide(aWorkingFolder).c_str()), aLink);
    TComPointer<IPersistFile> file;
    Check(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.Out())), aLink);
    Check(file->Save(Wide(aLink).c_str(), TRUE), aLink);
}

} // namespace kf
