#include "platform/registry/Registry.h"

#include "platform/registry/RegistryPath.h"
#include "platform/registry/RegistryStore.h"

#include <algorithm>
#include <memory>
#include <set>
#include <vector>

// A root key is its own root and holds the store's file name; any other key
// names its root and its path in the letter case the store keeps. An opened
// key keeps the store connection it was found with, and the keys opened below
// it share that connection, so reading a key's values parses the file once.
struct RegKeyHandle {
    RegKeyHandle* root;
    std::string file;
    std::string path;
    bool writable;
    std::shared_ptr<CRegistryStore> store;
    int busyTimeoutMs = kStoreBusyTimeoutMs;
};

// A transaction's connection, opened and begun by its first key.
struct RegTransaction {
    std::shared_ptr<CRegistryStore> store;
};

namespace {

RegKeyHandle g_localMachine{&g_localMachine, "/var/lib/vantrel/hklm.db", "", true, nullptr};

std::set<HKEY>& OpenKeys()
{
    static std::set<HKEY> keys;
    return keys;
}

std::set<HANDLE>& OpenTransactions()
{
    static std::set<HANDLE> transactions;
    return transactions;
}

DWORD g_lastError = ERROR_SUCCESS;

// The transaction calls answer FALSE and leave the reason here, as Windows does.
BOOL FailWith(LONG error)
{
    g_lastError = static_cast<DWORD>(error);
    return FALSE;
}

RegTransaction* TransactionOf(HANDLE handle)
{
    return OpenTransactions().count(handle) > 0 ? static_cast<RegTransaction*>(handle) : nullptr;
}

bool IsRoot(HKEY key)
{
    return key == HKEY_LOCAL_MACHINE;
}

bool IsLive(HKEY key)
{
    return IsRoot(key) || OpenKeys().count(key) > 0;
}

bool WantsWrite(DWORD samDesired)
{
    return (samDesired & (KEY_SET_VALUE | KEY_CREATE_SUB_KEY)) != 0;
}

// A root key is always open, so its rights are asked at each use.
bool MayWrite(HKEY key)
{
    return IsRoot(key) ? MayAccessStore(key->file, true) : key->writable;
}

HKEY NewKey(HKEY parent, const std::string& path, bool writable, std::shared_ptr<CRegistryStore> store)
{
    HKEY key = new RegKeyHandle{parent->root, "", path, writable, std::move(store)};
    OpenKeys().insert(key);
    return key;
}

const std::string& FileOf(HKEY key)
{
    return key->root->file;
}

LONG OpenStore(HKEY key, bool mayCreate, std::shared_ptr<CRegistryStore>& store)
{
    store = std::make_shared<CRegistryStore>();
    return store->Open(FileOf(key), mayCreate, key->root->busyTimeoutMs);
}

// The open key's own connection. The root key, always open, opens the file
// anew for every call, so that it never holds the file between calls; so does
// a key whose file was removed or replaced since, which then keeps the new
// connection. A key in a transaction stays with the transaction's connection.
LONG StoreOf(HKEY key, bool mayCreate, std::shared_ptr<CRegistryStore>& store)
{
    if (key->store && (key->store->InTransaction() || key->store->StillNamesOpenedFile())) {
        store = key->store;
        return ERROR_SUCCESS;
    }
    const LONG status = OpenStore(key, mayCreate, store);
    if (status == ERROR_SUCCESS && !IsRoot(key))
        key->store = store;
    return status;
}

// The transaction's connection; its first key opens it and takes the lock.
LONG StoreOf(HKEY key, RegTransaction& transaction, std::shared_ptr<CRegistryStore>& store)
{
    if (transaction.store) {
        store = transaction.store;
        return ERROR_SUCCESS;
    }
    LONG status = OpenStore(key, true, store);
    if (status == ERROR_SUCCESS)
        status = store->Begin();
    if (status == ERROR_SUCCESS)
        transaction.store = store;
    return status;
}

LONG CreateKey(HKEY key, LPCSTR subKey, DWORD reserved, HKEY* result, DWORD* disposition, RegTransaction* transaction)
{
    if (!IsLive(key))
        return ERROR_INVALID_HANDLE;
    if (result == nullptr || reserved != 0)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    // Creating may write, whatever access is asked for the new key.
    if (!MayWrite(key))
        return ERROR_ACCESS_DENIED;
    std::shared_ptr<CRegistryStore> store;
    LONG status = transaction ? StoreOf(key, *transaction, store) : StoreOf(key, true, store);
    std::string storedPath;
    bool created = false;
    if (status == ERROR_SUCCESS) {
        status = store->CreateKeyPath(JoinKeyPath(key->path, subKey), storedPath, created);
    }
    if (status != ERROR_SUCCESS)
        return status;
    *result = NewKey(key, storedPath, true, std::move(store));
    if (disposition != nullptr)
        *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    return ERROR_SUCCESS;
}

LONG CopyValueData(const std::vector<BYTE>& stored, BYTE* data, DWORD* cbData)
{
    if (cbData == nullptr)
        return ERROR_SUCCESS;
    const DWORD size = static_cast<DWORD>(stored.size());
    const bool fits = *cbData >= size;
    *cbData = size;
    if (data == nullptr)
        return ERROR_SUCCESS;
    if (!fits)
        return ERROR_MORE_DATA;
    std::copy(stored.begin(), stored.end(), data);
    return ERROR_SUCCESS;
}

} // namespace

const HKEY HKEY_LOCAL_MACHINE = &g_localMachine;

LONG RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, char* /*keyClass*/, DWORD /*options*/,
                     DWORD /*samDesired*/, void* /*security*/, HKEY* result, DWORD* disposition)
{
    return CreateKey(key, subKey, reserved, result, disposition, nullptr);
}

LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD /*options*/, DWORD samDesired, HKEY* result)
{
    if (!IsLive(key))
        return ERROR_INVALID_HANDLE;
    if (result == nullptr)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    const bool write = WantsWrite(samDesired);
    if (!MayAccessStore(FileOf(key), write))
        return ERROR_ACCESS_DENIED;
    std::shared_ptr<CRegistryStore> store;
    LONG status = StoreOf(key, false, store);
    std::string storedPath;
    if (status == ERROR_SUCCESS)
        status = store->FindKey(JoinKeyPath(key->path, subKey), storedPath);
    if (status != ERROR_SUCCESS)
        return status;
    *result = NewKey(key, storedPath, write, std::move(store));
    return ERROR_SUCCESS;
}

LONG RegQueryValueExA(HKEY key, LPCSTR valueName, DWORD* reserved, DWORD* type, BYTE* data, DWORD* cbData)
{
    if (!IsLive(key))
        return ERROR_INVALID_HANDLE;
    if (reserved != nullptr || (data != nullptr && cbData == nullptr)) {
        return ERROR_INVALID_PARAMETER;
    }
    std::shared_ptr<CRegistryStore> store;
    LONG status = StoreOf(key, false, store);
    DWORD storedType = 0;
    std::vector<BYTE> stored;
    if (status == ERROR_SUCCESS) {
        status = store->GetValue(key->path, valueName ? valueName : "", storedType, stored);
    }
    if (status != ERROR_SUCCESS)
        return status;
    if (type != nullptr)
        *type = storedType;
    return CopyValueData(stored, data, cbData);
}

LONG RegSetValueExA(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type, const BYTE* data, DWORD cbData)
{
    if (!IsLive(key))
        return ERROR_INVALID_HANDLE;
    if (reserved != 0 || (data == nullptr && cbData != 0))
        return ERROR_INVALID_PARAMETER;
    if (!MayWrite(key))
        return ERROR_ACCESS_DENIED;
    std::shared_ptr<CRegistryStore> store;
    LONG status = StoreOf(key, false, store);
    if (status == ERROR_SUCCESS) {
        status = store->SetValue(key->path, valueName ? valueName : "", type, data, cbData);
    }
    return status;
}

LONG RegCloseKey(HKEY key)
{
    if (IsRoot(key))
        return ERROR_SUCCESS;
    if (OpenKeys().erase(key) == 0)
        return ERROR_INVALID_HANDLE;
    delete key;
    return ERROR_SUCCESS;
}

HANDLE CreateTransaction(void* /*security*/, void* /*unitOfWork*/, DWORD /*createOptions*/, DWORD /*isolationLevel*/,
                         DWORD /*isolationFlags*/, DWORD /*timeout*/, char* /*description*/)
{
    HANDLE transaction = new RegTransaction;
    OpenTransactions().insert(transaction);
    return transaction;
}

BOOL CommitTransaction(HANDLE handle)
{
    RegTransaction* transaction = TransactionOf(handle);
    if (transaction == nullptr)
        return FailWith(ERROR_INVALID_HANDLE);
    const LONG result = transaction->store ? transaction->store->Commit() : ERROR_SUCCESS;
    return result == ERROR_SUCCESS ? TRUE : FailWith(result);
}

BOOL CloseHandle(HANDLE handle)
{
    RegTransaction* transaction = TransactionOf(handle);
    if (transaction == nullptr)
        return FailWith(ERROR_INVALID_HANDLE);
    if (transaction->store)
        transaction->store->Rollback();
    OpenTransactions().erase(handle);
    delete transaction;
    return TRUE;
}

LONG RegCreateKeyTransactedA(HKEY key, LPCSTR subKey, DWORD reserved, char* /*keyClass*/, DWORD /*options*/,
                             DWORD /*samDesired*/, void* /*security*/, HKEY* result, DWORD* disposition, HANDLE handle,
                             void* /*extendedParameter*/)
{
    RegTransaction* transaction = TransactionOf(handle);
    if (transaction == nullptr) {
        if (result != nullptr)
            *result = nullptr;
        return ERROR_INVALID_HANDLE;
    }
    return CreateKey(key, subKey, reserved, result, disposition, transaction);
}

void RegSetStoreFile(HKEY root, const std::string& path)
{
    if (IsRoot(root))
        root->file = path;
}

DWORD GetLastError()
{
    return g_lastError;
}

int RegSetStoreBusyTimeout(HKEY root, int milliseconds)
{
    if (!IsRoot(root))
        return 0;
    const int before = root->busyTimeoutMs;
    root->busyTimeoutMs = milliseconds;
    return before;
}
