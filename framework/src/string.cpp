// CString: operations that take more than one line.
#include "afxstr.h"
#include "afxapp.h"
#include <cstdarg>
#include <cstdio>
#include <cstring>

CString::CString(const char *pch, int nLength)
{
    if (pch && nLength > 0)
    {
        // Stop at a NUL so that the length always matches the C string.
        const void *nul = memchr(pch, 0, (size_t)nLength);
        m_str.assign(pch, nul ? (size_t)((const char *)nul - pch) : (size_t)nLength);
    }
}

int CString::Compare(const char *psz) const
{
    // strcmp compares as unsigned char: bytes >= 0x80 sort after ASCII.
    return strcmp(m_str.c_str(), psz ? psz : "");
}

namespace {
// Lower-case of every byte in the active ANSI code page, built once.
// lstrcmpiA would use word-sort rules (hyphens and apostrophes weigh less),
// which makes texts that differ in more than case compare as equal-ish;
// names need a plain fold.
const unsigned char *FoldTable()
{
    static unsigned char table[256];
    static bool built = false;
    if (!built)
    {
        for (int i = 0; i < 256; ++i)
            table[i] = (unsigned char)i;
        CharLowerBuffA((LPSTR)table + 1, 255);
        built = true;
    }
    return table;
}
}

int CString::CompareNoCase(const char *psz) const
{
    const unsigned char *fold = FoldTable();
    const unsigned char *a = (const unsigned char *)m_str.c_str();
    const unsigned char *b = (const unsigned char *)(psz ? psz : "");
    for (;; ++a, ++b)
    {
        int d = (int)fold[*a] - (int)fold[*b];
        if (d != 0 || *a == 0)
            return d;
    }
}

CString CString::Left(int nCount) const
{
    if (nCount <= 0)
        return CString();
    return CString(m_str.substr(0, (size_t)nCount).c_str());
}

CString CString::Mid(int nFirst) const
{
    return Mid(nFirst, GetLength() - (nFirst < 0 ? 0 : nFirst));
}

CString CString::Mid(int nFirst, int nCount) const
{
    if (nFirst < 0)
        nFirst = 0;
    if (nCount <= 0 || nFirst >= GetLength())
        return CString();
    return CString(m_str.substr((size_t)nFirst, (size_t)nCount).c_str());
}

CString CString::Right(int nCount) const
{
    if (nCount <= 0)
        return CString();
    if (nCount >= GetLength())
        return *this;
    return CString(m_str.c_str() + (GetLength() - nCount));
}

int CString::Find(char ch) const
{
    size_t pos = m_str.find(ch);
    return pos == std::string::npos ? -1 : (int)pos;
}

int CString::Find(const char *pszSub) const
{
    size_t pos = m_str.find(pszSub ? pszSub : "");
    return pos == std::string::npos ? -1 : (int)pos;
}

int CString::ReverseFind(char ch) const
{
    size_t pos = m_str.rfind(ch);
    return pos == std::string::npos ? -1 : (int)pos;
}

char *CString::GetBuffer(int nMinBufLength)
{
    if (nMinBufLength > GetLength())
        m_str.resize((size_t)nMinBufLength);
    // std::string keeps a terminator after size(): the caller may write
    // nMinBufLength bytes plus a NUL.
    return &m_str[0];
}

void CString::ReleaseBuffer(int nNewLength)
{
    if (nNewLength < 0)
        nNewLength = (int)strlen(m_str.c_str());
    else if (nNewLength > GetLength())
        nNewLength = GetLength();
    m_str.resize((size_t)nNewLength);
    // A NUL written inside the kept part ends the text there.
    m_str.resize(strlen(m_str.c_str()));
}

BOOL CString::LoadString(UINT nID)
{
    // A string resource holds at most 4095 characters plus its terminator,
    // but grow anyway rather than cut a text silently.
    int size = 256;
    for (;;)
    {
        std::string buf((size_t)size, '\0');
        int n = ::LoadStringA(AfxGetResourceHandle(), nID, &buf[0], size);
        if (n <= 0)
        {
            Empty();
            return FALSE;
        }
        if (n < size - 1 || size >= 65536)
        {
            m_str.assign(buf.c_str(), (size_t)n);
            return TRUE;
        }
        size *= 4;
    }
}

void CString::FormatV(const char *pszFormat, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    int n = vsnprintf(NULL, 0, pszFormat, copy);
    va_end(copy);
    if (n < 0)
    {
        Empty();
        return;
    }
    std::string buf((size_t)n + 1, '\0');
    vsnprintf(&buf[0], buf.size(), pszFormat, args);
    buf.resize((size_t)n);
    m_str.swap(buf);
}

void CString::Format(const char *pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    FormatV(pszFormat, args);
    va_end(args);
}

CString operator+(const CString &a, const CString &b) { CString s(a); s += b; return s; }
CString operator+(const CString &a, const char *b) { CString s(a); s += b; return s; }
CString operator+(const char *a, const CString &b) { CString s(a); s += b; return s; }
CString operator+(const CString &a, char b) { CString s(a); s += b; return s; }
CString operator+(char a, const CString &b) { CString s(a); s += b; return s; }
