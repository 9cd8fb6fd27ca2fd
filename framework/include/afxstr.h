// CString: an 8-bit text in the active code page. Holds any byte 1..255;
// comparisons are byte-wise (unsigned), CompareNoCase folds letters of the
// active ANSI code page.
#pragma once
#include <windows.h>
#include <string>

class CString
{
public:
    CString() {}
    CString(const CString &src) : m_str(src.m_str) {}
    CString(const char *psz) : m_str(psz ? psz : "") {}
    CString(const char *pch, int nLength);      // first nLength bytes (stops at a NUL)
    CString(char ch, int nRepeat = 1) : m_str(nRepeat > 0 ? (size_t)nRepeat : 0, ch) {}

    int GetLength() const { return (int)m_str.size(); }
    BOOL IsEmpty() const { return m_str.empty(); }
    void Empty() { m_str.clear(); }
    operator LPCSTR() const { return m_str.c_str(); }

    char GetAt(int nIndex) const { return m_str[(size_t)nIndex]; }
    char operator[](int nIndex) const { return m_str[(size_t)nIndex]; }
    void SetAt(int nIndex, char ch) { m_str[(size_t)nIndex] = ch; }

    CString &operator=(const CString &src) { m_str = src.m_str; return *this; }
    CString &operator=(const char *psz) { m_str = psz ? psz : ""; return *this; }
    CString &operator=(char ch) { m_str.assign(1, ch); return *this; }
    CString &operator+=(const CString &s) { m_str += s.m_str; return *this; }
    CString &operator+=(const char *psz) { if (psz) m_str += psz; return *this; }
    CString &operator+=(char ch) { m_str += ch; return *this; }

    // Byte-wise: <0, 0, >0 as strcmp.
    int Compare(const char *psz) const;
    // Letters compared without regard to case (active code page), else byte-wise.
    int CompareNoCase(const char *psz) const;

    CString Left(int nCount) const;
    CString Mid(int nFirst) const;
    CString Mid(int nFirst, int nCount) const;
    CString Right(int nCount) const;

    int Find(char ch) const;                 // -1 when absent
    int Find(const char *pszSub) const;      // -1 when absent
    int ReverseFind(char ch) const;          // -1 when absent

    // The buffer holds at least nMinBufLength bytes plus the terminator and
    // keeps the current text. ReleaseBuffer(-1) takes the length up to the
    // first NUL; ReleaseBuffer(n) keeps n bytes.
    char *GetBuffer(int nMinBufLength);
    void ReleaseBuffer(int nNewLength = -1);

    // From the framework's resource handle (AfxGetResourceHandle). FALSE and
    // an empty text when the string does not exist or is empty.
    BOOL LoadString(UINT nID);
    void Format(const char *pszFormat, ...) __attribute__((format(printf, 2, 3)));
    void FormatV(const char *pszFormat, va_list args);

private:
    std::string m_str;
};

CString operator+(const CString &a, const CString &b);
CString operator+(const CString &a, const char *b);
CString operator+(const char *a, const CString &b);
CString operator+(const CString &a, char b);
CString operator+(char a, const CString &b);

inline bool operator==(const CString &a, const CString &b) { return a.Compare(b) == 0; }
inline bool operator==(const CString &a, const char *b) { return a.Compare(b) == 0; }
inline bool operator==(const char *a, const CString &b) { return b.Compare(a) == 0; }
inline bool operator!=(const CString &a, const CString &b) { return a.Compare(b) != 0; }
inline bool operator!=(const CString &a, const char *b) { return a.Compare(b) != 0; }
inline bool operator!=(const char *a, const CString &b) { return b.Compare(a) != 0; }
inline bool operator<(const CString &a, const CString &b) { return a.Compare(b) < 0; }
inline bool operator<(const CString &a, const char *b) { return a.Compare(b) < 0; }
