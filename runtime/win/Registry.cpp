#include "runtime/win/Registry.h"

#include "base/Exception.h"
#include "base/OSError.h"
#include "runtime/win/WinText.h"

namespace kf {

namespace {

const HKEY kRoots[] = {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS};
constexpr const char* kRootNames[] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE",
                                      "HKEY_USERS"};

std::string Where(int aRoot, const std::string& aKey, const std::string& aName) {
    return std::string(RootKeyName(aRoot)) + "\\" + aKey + " " + (aName.empty() ? "(default)" : aName);
}

void SetValue(int aRoot, const std::string& aKey, const std::string& aName, DWORD aType, const void* aData,
              DWORD aSize) {
    HKEY key = nullptr;
    LSTATUS status = ::RegCreateKeyExW(RootKey(aRoot), Wide(aKey).c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                       nullptr, &key, nullptr);
    if (status == ERROR_SUCCESS) {
        status = ::RegSetValueExW(key, Wide(aName).c_str(), 0, aType, static_cast<const BYTE*>(aData), aSize);
        ::RegCloseKey(key);
    }
    if (status != ERROR_SUCCESS)
        throw Exception("Cannot write the registry value " + Where(aRoot, aKey, aName) + ": " +
                        SystemErrorText(static_cast<int>(status)) + ".");
}

} // namespace

HKEY RootKey(int aRoot) {
    return kRoots[aRoot];
}

const char* RootKeyName(int aRoot) {
    return kRootNames[aRoot];
}

void SetStringValue(int aRoot, const std::string& aKey, const std::string& aName, const std::string& aText) {
    const std::wstring text = Wide(aText);
    SetValue(aRoot, aKey, aName, REG_SZ, text.c_str(),
             static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

void SetDwordValue(int aRoot, const std::string& aKey, const std::string& aName, uint32_t aNumber) {
    const DWORD number = aNumber;
    SetValue(aRoot, aKey, aName, REG_DWORD, &number, sizeof number);
}

void SetValueData(int aRoot, const std::string& aKey, const std::string& aName, const TRegistryData& aData) {
    SetValue(aRoot, aKey, aName, aData.Type, aData.Bytes.data(), static_cast<DWORD>(aData.Bytes.size()));
}

std::optional<TRegistryData> ReadValueData(int aRoot, const std::string& aKey, const std::string& aName) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(RootKey(aRoot), Wide(aKey).c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return std::nullopt;
    const std::wstring name = Wide(aName);
    TRegistryData data;
    DWORD size = 0;
    LSTATUS status = ::RegQueryValueExW(key, name.c_str(), nullptr, &data.Type, nullptr, &size);
    // The value may grow between the two calls; ask again until it fits.
    while (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
        data.Bytes.resize(size);
        status = ::RegQueryValueExW(key, name.c_str(), nullptr, &data.Type,
                                    reinterpret_cast<BYTE*>(data.Bytes.data()), &size);
        if (status == ERROR_SUCCESS) {
            data.Bytes.resize(size);
            break;
        }
    }
    ::RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return std::nullopt;
    return data;
}

std::optional<std::string> ReadStringValue(int aRoot, const std::string& aKey, const std::string& aName) {
    wchar_t text[2048] = {};
    DWORD size = sizeof text - sizeof(wchar_t);
    if (::RegGetValueW(RootKey(aRoot), Wide(aKey).c_str(), Wide(aName).c_str(), RRF_RT_REG_SZ, nullptr, text,
                       &size) != ERROR_SUCCESS)
        return std::nullopt;
    return Utf8(text);
}

bool DeleteValue(int aRoot, const std::string& aKey, const std::string& aName) {
    HKEY key = nullptr;
    LSTATUS status = ::RegOpenKeyExW(RootKey(aRoot), Wide(aKey).c_str(), 0, KEY_SET_VALUE, &key);
    if (status == ERROR_FILE_NOT_FOUND)
        return true;
    if (status != ERROR_SUCCESS)
        return false;
    status = ::RegDeleteValueW(key, Wide(aName).c_str());
    ::RegCloseKey(key);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

bool KeyExists(int aRoot, const std::string& aKey) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(RootKey(aRoot), Wide(aKey).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(key);
    return true;
}

std::vector<std::string> SubkeyNames(int aRoot, const std::string& aKey) {
    std::vector<std::string> names;
    HKEY key = nullptr;
    if (::RegOpenKeyExW(RootKey(aRoot), Wide(aKey).c_str(), 0, KEY_ENUMERATE_SUB_KEYS, &key) != ERROR_SUCCESS)
        return names;
    wchar_t name[256]; // the longest name a key may have, with its end
    for (DWORD index = 0;; ++index) {
        DWORD length = 256;
        if (::RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.push_back(Utf8(std::wstring_view(name, length)));
    }
    ::RegCloseKey(key);
    return names;
}

bool DeleteEmptyKey(int aRoot, const std::string& aKey) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(RootKey(aRoot), Wide(aKey).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return !KeyExists(aRoot, aKey);
    DWORD subkeys = 0;
    DWORD values = 0;
    const LSTATUS status = ::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                                              &values, nullptr, nullptr, nullptr, nullptr);
    ::RegCloseKey(key);
    return status == ERROR_SUCCESS && subkeys == 0 && values == 0 && DeleteKey(aRoot, aKey);
}

bool DeleteKey(int aRoot, const std::string& aKey) {
    const LSTATUS status = ::RegDeleteKeyW(RootKey(aRoot), Wide(aKey).c_str());
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

} // namespace kf
