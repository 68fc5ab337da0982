// The Win32 registry calls the program uses, on the two hive files of the prefix:
// system.reg holds HKEY_LOCAL_MACHINE and user.reg holds HKEY_CURRENT_USER.
//
// Every call reads the current hive file. Every change takes an exclusive lock on a lock
// file beside the hive, reads it again, changes it and replaces it atomically, so several
// processes may write the same hive at once without losing each other's values.
//
// Open keys are entries of a registry-wide table; a handle names an entry. A handle the
// caller forgets to close is released with the table at exit.
#pragma once

#include <cstdint>

#include "platform/base/win_types.h"
#include "platform/win32/registry_hive.h"

namespace ossen {

struct RegistryKeyHandle;  // never defined: handles are only compared and looked up
using HKEY = RegistryKeyHandle*;
using REGSAM = DWORD;

inline HKEY PredefinedKey(std::uintptr_t value) { return reinterpret_cast<HKEY>(value); }

inline const HKEY HKEY_CLASSES_ROOT = PredefinedKey(0x80000000u);  // not kept: ERROR_INVALID_HANDLE
inline const HKEY HKEY_CURRENT_USER = PredefinedKey(0x80000001u);
inline const HKEY HKEY_LOCAL_MACHINE = PredefinedKey(0x80000002u);
inline const HKEY HKEY_USERS = PredefinedKey(0x80000003u);  // not kept: ERROR_INVALID_HANDLE

inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = kRegTypeString;
inline constexpr DWORD REG_BINARY = kRegTypeBinary;
inline constexpr DWORD REG_DWORD = kRegTypeDword;

inline constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
inline constexpr REGSAM KEY_SET_VALUE = 0x0002;
inline constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
inline constexpr REGSAM KEY_NOTIFY = 0x0010;
inline constexpr REGSAM KEY_READ = 0x00020019;
inline constexpr REGSAM KEY_WRITE = 0x00020006;
inline constexpr REGSAM KEY_ALL_ACCESS = 0x000F003F;

// Opens an existing key below `key` (subKey null or "" opens `key` itself again).
// ERROR_FILE_NOT_FOUND when it does not exist; `*result` is null on failure.
LONG RegOpenKeyEx(HKEY key, const char* subKey, DWORD options, REGSAM access, HKEY* result);

// Opens the key below `key`, creating it and its missing parents; the handle has all access.
LONG RegCreateKey(HKEY key, const char* subKey, HKEY* result);

// Win32 semantics: name null or "" is the default value; data null asks only for the size
// (and type); a buffer smaller than the data gives ERROR_MORE_DATA with the size needed
// and leaves the buffer as it was.
LONG RegQueryValueEx(HKEY key, const char* name, DWORD* reserved, DWORD* type, BYTE* data, DWORD* size);

// Stores `size` bytes of `data` as the value's content (a REG_SZ includes its terminator).
// Names with CR or LF cannot be kept in the hive text: ERROR_INVALID_PARAMETER.
LONG RegSetValueEx(HKEY key, const char* name, DWORD reserved, DWORD type, const BYTE* data, DWORD size);

// Removes the value; ERROR_FILE_NOT_FOUND when there is no such value.
LONG RegDeleteValue(HKEY key, const char* name);

// Removes the key below `key` when it holds no values and no subkeys; ERROR_FILE_NOT_FOUND
// when it does not exist, ERROR_ACCESS_DENIED when it is not empty. (Not Win32's
// RegDeleteKey, which takes a key's values with it: this one never removes a value.)
LONG RegDeleteEmptyKey(HKEY key, const char* subKey);

// Closing a predefined key is allowed and does nothing.
LONG RegCloseKey(HKEY key);

}  // namespace ossen
