#pragma once
// The five registry calls the settings use, with their Windows signatures,
// result codes and semantics, kept in one SQLite file per root key. The file's
// layout is a contract that administrators and other programs rely on; it is
// described in settings/README.md.
#include "platform/WinTypes.h"

#include <string>

struct RegKeyHandle;
// An open key; null means no key.
using HKEY = RegKeyHandle*;

extern const HKEY HKEY_LOCAL_MACHINE;

constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;

constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

constexpr DWORD KEY_SET_VALUE = 0x0002;
constexpr DWORD KEY_CREATE_SUB_KEY = 0x0004;
constexpr DWORD KEY_READ = 0x20019;
constexpr DWORD KEY_ALL_ACCESS = 0xF003F;

constexpr LONG ERROR_SUCCESS = 0;
constexpr LONG ERROR_FILE_NOT_FOUND = 2;
constexpr LONG ERROR_ACCESS_DENIED = 5;
constexpr LONG ERROR_INVALID_HANDLE = 6;
// Another program held the file past the wait.
constexpr LONG ERROR_SHARING_VIOLATION = 32;
constexpr LONG ERROR_INVALID_PARAMETER = 87;
// What a registry without transactions answers RegCreateKeyTransactedA.
constexpr LONG ERROR_CALL_NOT_IMPLEMENTED = 120;
constexpr LONG ERROR_MORE_DATA = 234;
// The file is not a database with the two tables of the layout.
constexpr LONG ERROR_BADDB = 1009;
// The file could not be read or written.
constexpr LONG ERROR_REGISTRY_IO_FAILED = 1016;

// Opens the key at path below key, creating every missing key on the path.
LONG RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, char* keyClass, DWORD options, DWORD samDesired,
                     void* security, HKEY* result, DWORD* disposition);
// Opens an existing key; never creates one.
LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, DWORD samDesired, HKEY* result);
// With a null data buffer, reports the value's size in *cbData; with a buffer
// too small, fails with ERROR_MORE_DATA and reports the size needed.
LONG RegQueryValueExA(HKEY key, LPCSTR valueName, DWORD* reserved, DWORD* type, BYTE* data, DWORD* cbData);
// Stores exactly cbData bytes; the value is durable when the call returns.
LONG RegSetValueExA(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type, const BYTE* data, DWORD cbData);
LONG RegCloseKey(HKEY key);

// Kernel transactions, as far as the registry uses them: every change made
// through a key opened in a transaction, or through the keys opened below it,
// lands together when the transaction is committed, or not at all. Closing a
// transaction that was not committed rolls it back. A transaction takes the
// store's write lock at its first key, waiting for other programs as any
// call does; close its keys before the transaction.
HANDLE CreateTransaction(void* security, void* unitOfWork, DWORD createOptions, DWORD isolationLevel,
                         DWORD isolationFlags, DWORD timeout, char* description);
// FALSE, with the transaction still open, when the store could not be written
// (another program still reading it after the wait, for instance);
// GetLastError then tells why.
BOOL CommitTransaction(HANDLE transaction);
BOOL CloseHandle(HANDLE transaction);
LONG RegCreateKeyTransactedA(HKEY key, LPCSTR subKey, DWORD reserved, char* keyClass, DWORD options, DWORD samDesired,
                             void* security, HKEY* result, DWORD* disposition, HANDLE transaction,
                             void* extendedParameter);

// Puts the root key's store in another file, for tests. The program never
// calls it: HKEY_LOCAL_MACHINE lives in /var/lib/vantrel/hklm.db.
void RegSetStoreFile(HKEY root, const std::string& path);

// The reason the last failed transaction call gave; the registry calls
// themselves return theirs.
DWORD GetLastError();

// How long a call waits for another program that holds the store file before
// it fails with ERROR_SHARING_VIOLATION: long enough for an administrator's
// sqlite3 session or a second instance to finish its change.
constexpr int kStoreBusyTimeoutMs = 10000;
// Sets that wait for the root key's store, for tests; returns the wait before.
int RegSetStoreBusyTimeout(HKEY root, int milliseconds);
