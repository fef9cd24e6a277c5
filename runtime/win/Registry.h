#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kf {

// The root key of a position 0 to 3: HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS.
HKEY RootKey(int aRoot);
const char* RootKeyName(int aRoot);

// A value as the registry holds it: its type and its bytes.
struct TRegistryData {
    DWORD Type = REG_NONE;
    std::string Bytes;
};

void SetStringValue(int aRoot, const std::string& aKey, const std::string& aName, const std::string& aText);
void SetDwordValue(int aRoot, const std::string& aKey, const std::string& aName, uint32_t aNumber);
void SetValueData(int aRoot, const std::string& aKey, const std::string& aName, const TRegistryData& aData);
// A value of any type, or nothing when the key or the value does not exist.
std::optional<TRegistryData> ReadValueData(int aRoot, const std::string& aKey, const std::string& aName);
// A string value, or nothing when the key or the value does not exist or is not a string.
std::optional<std::string> ReadStringValue(int aRoot, const std::string& aKey, const std::string& aName);
// Whether the value is gone now (also when it never was there).
bool DeleteValue(int aRoot, const std::string& aKey, const std::string& aName);
bool KeyExists(int aRoot, const std::string& aKey);
// The names of the key's subkeys; none when the key does not exist.
std::vector<std::string> SubkeyNames(int aRoot, const std::string& aKey);
// Removes a key that holds neither values nor subkeys; whether it is gone now.
bool DeleteEmptyKey(int aRoot, const std::string& aKey);
// Removes a key that has no subkeys; whether it is gone now.
bool DeleteKey(int aRoot, const std::string& aKey);

} // namespace kf
