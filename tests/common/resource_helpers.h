// resource_helpers.h - reading a resource library as data: which resources
// of a type it holds, the strings of a string table and the controls of a
// dialog template (DLGTEMPLATE or DLGTEMPLATEEX), without creating windows.
#pragma once

#include <windows.h>

#include <set>
#include <string>
#include <vector>

namespace res {

// A loaded library as data (no code runs); freed with the object.
class DataModule
{
public:
    explicit DataModule(const char *file)
        : module(LoadLibraryExA(file, NULL, LOAD_LIBRARY_AS_DATAFILE))
    {
    }
    ~DataModule()
    {
        if (module)
            FreeLibrary(module);
    }
    HMODULE Handle() const { return module; }

private:
    HMODULE module;
    DataModule(const DataModule &) = delete;
    DataModule &operator=(const DataModule &) = delete;
};

// An enumeration callback must be CALLBACK (stdcall on i686): no lambda.
inline BOOL CALLBACK CollectNumericName(HMODULE, LPCSTR, LPSTR name, LONG_PTR out)
{
    if (IS_INTRESOURCE(name))
        reinterpret_cast<std::set<unsigned> *>(out)->insert((unsigned)(ULONG_PTR)name);
    return TRUE;
}

// The numbers of the resources of one type (named ones are left out).
inline std::set<unsigned> ResourceIds(HMODULE module, LPCSTR type)
{
    std::set<unsigned> ids;
    EnumResourceNamesA(module, type, &CollectNumericName, (LONG_PTR)&ids);
    return ids;
}

// The raw bytes of one resource; empty when missing.
inline std::vector<unsigned char> ResourceBytes(HMODULE module, LPCSTR type, unsigned id)
{
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), type);
    if (!found)
        return {};
    HGLOBAL loaded = LoadResource(module, found);
    const unsigned char *p = (const unsigned char *)LockResource(loaded);
    DWORD size = SizeofResource(module, found);
    return p ? std::vector<unsigned char>(p, p + size) : std::vector<unsigned char>();
}

// The numbers of every non-empty string: each string-table block holds
// sixteen counted UTF-16 strings, block n the numbers 16 (n - 1) to 16 n - 1.
inline std::set<unsigned> StringIds(HMODULE module)
{
    std::set<unsigned> ids;
    for (unsigned block : ResourceIds(module, RT_STRING)) {
        std::vector<unsigned char> bytes = ResourceBytes(module, RT_STRING, block);
        size_t at = 0;
        for (unsigned i = 0; i < 16 && at + 2 <= bytes.size(); ++i) {
            unsigned length = bytes[at] | (bytes[at + 1] << 8);
            if (length > 0)
                ids.insert((block - 1) * 16 + i);
            at += 2 + 2 * (size_t)length;
        }
    }
    return ids;
}

inline std::wstring StringW(HMODULE module, unsigned id)
{
    const wchar_t *text = NULL;
    int length = LoadStringW(module, id, (LPWSTR)&text, 0);   // 0: a pointer into the resource
    return text && length > 0 ? std::wstring(text, (size_t)length) : std::wstring();
}

// One control of a dialog template.
struct Control
{
    int id;
    std::wstring className;   // "#128" for the predefined classes by atom
    std::wstring text;        // "#n" for a resource number
    DWORD style;
};

struct Template
{
    bool valid = false;
    DWORD style = 0;
    DWORD exStyle = 0;
    std::wstring caption;
    std::vector<Control> controls;
};

// Reads a template: the header, then the controls (each DWORD aligned).
class TemplateReader
{
public:
    explicit TemplateReader(const std::vector<unsigned char> &bytes) : bytes(bytes) {}

    Template Read()
    {
        Template t;
        if (bytes.size() < 18)
            return t;
        bool extended = Word(0) == 1 && Word(2) == 0xFFFF;
        WORD count;
        if (extended) {
            t.exStyle = Dword(8);
            t.style = Dword(12);
            count = Word(16);
            at = 26;
        } else {
            t.style = Dword(0);
            t.exStyle = Dword(4);
            count = Word(8);
            at = 18;
        }
        SzOrOrd();   // menu
        SzOrOrd();   // class
        t.caption = SzOrOrd();
        if (t.style & DS_SETFONT) {
            at += extended ? 6 : 2;   // point size (weight, italic, charset)
            SzOrOrd();                // face name
        }
        for (WORD i = 0; i < count && ok; ++i) {
            Align();
            Control c;
            if (extended) {
                c.style = Dword(at + 8);
                c.id = (int)Dword(at + 20);
                at += 24;
            } else {
                c.style = Dword(at);
                c.id = (short)Word(at + 16);
                at += 18;
            }
            c.className = SzOrOrd();
            c.text = SzOrOrd();
            WORD extra = Word(at);
            at += 2 + extra;
            t.controls.push_back(c);
        }
        t.valid = ok && t.controls.size() == count;
        return t;
    }

private:
    WORD Word(size_t pos)
    {
        if (pos + 2 > bytes.size()) {
            ok = false;
            return 0;
        }
        return (WORD)(bytes[pos] | (bytes[pos + 1] << 8));
    }
    DWORD Dword(size_t pos) { return Word(pos) | ((DWORD)Word(pos + 2) << 16); }
    void Align() { at = (at + 3) & ~(size_t)3; }

    // A string, an ordinal (0xFFFF then the number) or nothing (0).
    std::wstring SzOrOrd()
    {
        WORD first = Word(at);
        if (first == 0xFFFF) {
            std::wstring ordinal = L"#" + std::to_wstring(Word(at + 2));
            at += 4;
            return ordinal;
        }
        std::wstring text;
        for (WORD c = Word(at); ok && c != 0; c = Word(at)) {
            text += (wchar_t)c;
            at += 2;
        }
        at += 2;
        return text;
    }

    const std::vector<unsigned char> &bytes;
    size_t at = 0;
    bool ok = true;
};

inline Template ReadTemplate(HMODULE module, unsigned id)
{
    std::vector<unsigned char> bytes = ResourceBytes(module, RT_DIALOG, id);
    return TemplateReader(bytes).Read();
}

// The access key of a text (the letter after a single '&'), upper case; 0
// when it has none.
inline wchar_t AccessKey(const std::wstring &text)
{
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != L'&')
            continue;
        if (text[i + 1] == L'&') {
            ++i;
            continue;
        }
        wchar_t key = text[i + 1];
        CharUpperBuffW(&key, 1);
        return key;
    }
    return 0;
}

} // namespace res
