#include "platform/Registry.h"

#include "platform/win32/WideText.h"

#include <cstring>
#include <vector>

namespace {

bool IsText(DWORD type)
{
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// A null name stays null: it names the key's default value, or the key itself.
struct WideName {
    explicit WideName(LPCSTR name)
        : text(name ? WidenUtf8(name) : std::wstring()),
          given(name != nullptr)
    {
    }
    LPCWSTR get() const { return given ? text.c_str() : nullptr; }
    std::wstring text;
    bool given;
};

// The value's UTF-16 data as the registry keeps it.
LONG QueryWide(HKEY key, LPCWSTR name, DWORD* type, std::vector<BYTE>* data)
{
    DWORD size = 0;
    LONG status = RegQueryValueExW(key, name, nullptr, type, nullptr, &size);
    // The value may grow between the two calls; then the size is asked again.
    while (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
        data->resize(size);
        status = RegQueryValueExW(key, name, nullptr, type, data->data(), &size);
        if (status == ERROR_SUCCESS) {
            data->resize(size);
            return status;
        }
    }
    return status;
}

} // namespace

LONG RegCreateKeyExUtf8(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR keyClass, DWORD options, REGSAM samDesired,
                        const LPSECURITY_ATTRIBUTES security, PHKEY result, LPDWORD disposition)
{
    const WideName wideKeyClass(keyClass);
    return RegCreateKeyExW(key, WideName(subKey).get(), reserved, const_cast<LPWSTR>(wideKeyClass.get()), options,
                           samDesired, security, result, disposition);
}

LONG RegCreateKeyTransactedUtf8(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR keyClass, DWORD options,
                                REGSAM samDesired, const LPSECURITY_ATTRIBUTES security, PHKEY result,
                                LPDWORD disposition, HANDLE transaction, PVOID extended)
{
    const WideName wideKeyClass(keyClass);
    return RegCreateKeyTransactedW(key, WideName(subKey).get(), reserved, const_cast<LPWSTR>(wideKeyClass.get()),
                                   options, samDesired, security, result, disposition, transaction, extended);
}

LONG RegOpenKeyExUtf8(HKEY key, LPCSTR subKey, DWORD options, REGSAM samDesired, PHKEY result)
{
    return RegOpenKeyExW(key, WideName(subKey).get(), options, samDesired, result);
}

LONG RegQueryValueExUtf8(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD cbData)
{
    if (reserved != nullptr)
        return ERROR_INVALID_PARAMETER;
    DWORD kind = REG_NONE;
    std::vector<BYTE> stored;
    const LONG status = QueryWide(key, WideName(valueName).get(), &kind, &stored);
    if (status != ERROR_SUCCESS)
        return status;
    if (type != nullptr)
        *type = kind;
    std::string bytes(stored.begin(), stored.end());
    if (IsText(kind))
        bytes = NarrowToUtf8(reinterpret_cast<const wchar_t*>(stored.data()),
                             static_cast<int>(stored.size() / sizeof(wchar_t)));
    if (cbData == nullptr)
        return data == nullptr ? ERROR_SUCCESS : ERROR_INVALID_PARAMETER;
    const DWORD room = *cbData;
    *cbData = static_cast<DWORD>(bytes.size());
    if (data == nullptr)
        return ERROR_SUCCESS;
    if (room < bytes.size())
        return ERROR_MORE_DATA;
    std::memcpy(data, bytes.data(), bytes.size());
    return ERROR_SUCCESS;
}

LONG RegSetValueExUtf8(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type, const BYTE* data, DWORD cbData)
{
    if (!IsText(type) || data == nullptr)
        return RegSetValueExW(key, WideName(valueName).get(), reserved, type, data, cbData);
    bool valid = true;
    std::wstring text = WidenUtf8(std::string(reinterpret_cast<const char*>(data), cbData), &valid);
    if (!valid)
        return ERROR_NO_UNICODE_TRANSLATION;
    if (!text.empty() && text.back() != L'\0')
        text.push_back(L'\0');
    return RegSetValueExW(key, WideName(valueName).get(), reserved, type, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(text.size() * sizeof(wchar_t)));
}
