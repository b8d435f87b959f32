// The program's embedded resources, looked up by type and name.
#include "platform/Resources.h"

#include "platform/Kernel.h"

#include <cwctype>

namespace
{
// The one module of this platform: its handle is the address of this object.
struct ProgramModule
{
    int unused = 0;
};
ProgramModule gProgram;

HMODULE ProgramHandle()
{
    return reinterpret_cast<HMODULE>(&gProgram);
}

const OrvEmbeddedResourceTable* Table()
{
    static const OrvEmbeddedResourceTable empty{nullptr, 0};
    const OrvEmbeddedResourceTable* table = OrvGetEmbeddedResources();
    return table != nullptr ? table : &empty;
}

// A name or type as asked: an integer id, or a string (a "#123" string is the id 123).
struct Key
{
    bool isId = false;
    WORD id = 0;
    LPCWSTR text = nullptr;
};

Key MakeKey(LPCWSTR value)
{
    Key key;
    if (IS_INTRESOURCE(value))
    {
        key.isId = true;
        key.id = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(value));
        return key;
    }
    if (value[0] == L'#' && value[1] != 0)
    {
        unsigned long number = 0;
        bool digits = true;
        for (LPCWSTR p = value + 1; *p != 0 && digits; ++p)
        {
            digits = *p >= L'0' && *p <= L'9';
            number = number * 10 + static_cast<unsigned long>(*p - L'0');
            digits = digits && number <= 0xFFFF;
        }
        if (digits)
        {
            key.isId = true;
            key.id = static_cast<WORD>(number);
            return key;
        }
    }
    key.text = value;
    return key;
}

bool Matches(const Key& key, const wchar_t* text, WORD id)
{
    if (key.isId)
    {
        return text == nullptr && id == key.id;
    }
    if (text == nullptr)
    {
        return false;
    }
    LPCWSTR a = key.text;
    const wchar_t* b = text;
    for (; *a != 0 && *b != 0; ++a, ++b)
    {
        if (std::towupper(static_cast<wint_t>(*a)) != std::towupper(static_cast<wint_t>(*b)))
        {
            return false;
        }
    }
    return *a == 0 && *b == 0;
}

const OrvEmbeddedResource* EntryOf(HRSRC resource)
{
    const OrvEmbeddedResourceTable* table = Table();
    auto* entry = reinterpret_cast<const OrvEmbeddedResource*>(resource);
    if (entry == nullptr || table->count == 0 || entry < table->entries ||
        entry >= table->entries + table->count)
    {
        return nullptr;
    }
    return entry;
}

bool IsProgram(HMODULE module)
{
    return module == nullptr || module == ProgramHandle();
}
} // namespace

// Programs that embed no files get this empty table; orv_embed_resources generates the real one.
extern "C" __attribute__((weak)) const OrvEmbeddedResourceTable* OrvGetEmbeddedResources()
{
    return nullptr;
}

HMODULE GetModuleHandleW(LPCWSTR moduleName)
{
    if (moduleName == nullptr)
    {
        return ProgramHandle();
    }
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type)
{
    if (!IsProgram(module))
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (name == nullptr || type == nullptr)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    Key nameKey = MakeKey(name);
    Key typeKey = MakeKey(type);
    const OrvEmbeddedResourceTable* table = Table();
    bool typeSeen = false;
    for (size_t i = 0; i < table->count; ++i)
    {
        const OrvEmbeddedResource& entry = table->entries[i];
        if (!Matches(typeKey, entry.type, entry.typeId))
        {
            continue;
        }
        typeSeen = true;
        if (Matches(nameKey, entry.name, entry.nameId))
        {
            return reinterpret_cast<HRSRC>(const_cast<OrvEmbeddedResource*>(&entry));
        }
    }
    SetLastError(typeSeen ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_TYPE_NOT_FOUND);
    return nullptr;
}

HGLOBAL LoadResource(HMODULE module, HRSRC resource)
{
    const OrvEmbeddedResource* entry = EntryOf(resource);
    if (!IsProgram(module) || entry == nullptr)
    {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<HGLOBAL>(const_cast<unsigned char*>(entry->data));
}

LPVOID LockResource(HGLOBAL resourceData)
{
    return reinterpret_cast<LPVOID>(resourceData);
}

DWORD SizeofResource(HMODULE module, HRSRC resource)
{
    const OrvEmbeddedResource* entry = EntryOf(resource);
    if (!IsProgram(module) || entry == nullptr)
    {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return 0;
    }
    return entry->size;
}

BOOL FreeResource(HGLOBAL resourceData)
{
    (void)resourceData;
    return FALSE;
}
