// CString, CPtrList and run-time classes.
#include <gtest/gtest.h>
#include <string>
#include "afxwin.h"
#include "test_resource.h"

namespace {

std::string S(const CString &s) { return std::string((LPCSTR)s); }

// Every byte but NUL, in order.
std::string AllBytes()
{
    std::string all;
    for (int b = 1; b < 256; ++b)
        all += (char)b;
    return all;
}

TEST(CStringTest, HoldsEveryByteAndComparesByteWise)
{
    std::string all = AllBytes();
    CString s(all.c_str());
    ASSERT_EQ(255, s.GetLength());
    for (int i = 0; i < 255; ++i)
        EXPECT_EQ((unsigned char)(i + 1), (unsigned char)s[i]) << "index " << i;
    CString copy(s);
    EXPECT_TRUE(copy == s);
    EXPECT_TRUE(copy == all.c_str());

    // Bytes >= 0x80 sort after ASCII (unsigned), and == is exact.
    EXPECT_LT(CString("z").Compare("\x80"), 0);
    EXPECT_TRUE(CString("\xE9") < CString("\xFF"));
    EXPECT_TRUE(CString("Lab") != "lab");
    EXPECT_TRUE(CString("Lab") != "Lab ");
    EXPECT_TRUE("Lab" == CString("Lab"));
    EXPECT_EQ(0, CString().Compare(NULL));
}

TEST(CStringTest, CompareNoCaseFoldsLettersOnly)
{
    EXPECT_EQ(0, CString("LAB one").CompareNoCase("lab ONE"));
    EXPECT_NE(0, CString("co-op").CompareNoCase("coop"));   // punctuation is not ignored
    EXPECT_NE(0, CString("lab").CompareNoCase("lab "));
    EXPECT_LT(CString("abc").CompareNoCase("ABD"), 0);
    EXPECT_GT(CString("abc").CompareNoCase("AB"), 0);
    if (GetACP() == 1252)
    {
        EXPECT_EQ(0, CString("\xC4pfel").CompareNoCase("\xE4PFEL"));
    }
}

TEST(CStringTest, ConstructorsAndConcatenation)
{
    EXPECT_EQ("xxx", S(CString('x', 3)));
    EXPECT_EQ("", S(CString('x', 0)));
    EXPECT_EQ("ab", S(CString("abcdef", 2)));
    EXPECT_EQ("ab", S(CString("ab\0cd", 5)));   // stops at a NUL
    EXPECT_EQ("", S(CString((const char *)NULL)));

    CString s = "a";
    s += CString("b");
    s += "c";
    s += '\xE9';
    EXPECT_EQ("abc\xE9", S(s));
    EXPECT_EQ("[abc\xE9]", S("[" + s + ']'));
    EXPECT_EQ("x1", S(CString("x") + "1"));
    EXPECT_EQ("-x", S('-' + CString("x")));
    s.Empty();
    EXPECT_TRUE(s.IsEmpty());
}

TEST(CStringTest, PiecesClampAtTheEnds)
{
    CString s("Config;=[1]");
    EXPECT_EQ("Con", S(s.Left(3)));
    EXPECT_EQ("", S(s.Left(-1)));
    EXPECT_EQ(S(s), S(s.Left(100)));
    EXPECT_EQ(";=[1]", S(s.Mid(6)));
    EXPECT_EQ(";=", S(s.Mid(6, 2)));
    EXPECT_EQ("", S(s.Mid(50)));
    EXPECT_EQ("", S(s.Mid(3, 0)));
    EXPECT_EQ("Config;=[1]", S(s.Mid(-2)));
    EXPECT_EQ("[1]", S(s.Right(3)));
    EXPECT_EQ(S(s), S(s.Right(99)));
    EXPECT_EQ("", S(s.Right(0)));
}

TEST(CStringTest, FindAndReverseFind)
{
    CString path("C:\\A\\B\\C.HLP");
    EXPECT_EQ(2, path.Find('\\'));
    EXPECT_EQ(6, path.ReverseFind('\\'));
    EXPECT_EQ(-1, path.Find('x'));
    EXPECT_EQ(-1, path.ReverseFind('x'));
    EXPECT_EQ(5, path.Find("B\\"));
    EXPECT_EQ(-1, path.Find("hlp"));   // case matters
    EXPECT_EQ(1, CString("a\xE9z").Find('\xE9'));
}

TEST(CStringTest, BufferAndFormat)
{
    CString s("keep");
    char *p = s.GetBuffer(10);
    EXPECT_EQ(0, strcmp(p, "keep"));   // the text stays in the buffer
    strcpy(p, "0123456789");
    s.ReleaseBuffer();
    EXPECT_EQ("0123456789", S(s));
    s.GetBuffer(4);
    s.ReleaseBuffer(2);
    EXPECT_EQ("01", S(s));

    s.Format("%s=%d;%c", "n\xE9", -42, 'z');
    EXPECT_EQ("n\xE9=-42;z", S(s));
    std::string longArg(5000, 'q');
    s.Format("<%s>", longArg.c_str());
    EXPECT_EQ(5002, s.GetLength());
}

TEST(CStringTest, LoadStringFromTheResourceModule)
{
    CString s;
    EXPECT_TRUE(s.LoadString(IDS_HELLO));
    EXPECT_EQ("Hello, world", S(s));
    EXPECT_TRUE(s.LoadString(IDS_EIGHT_BIT));
    EXPECT_EQ("\xC4pfel & \xE9t\xE9 ; [x] = y", S(s));
    EXPECT_TRUE(s.LoadString(IDS_LONG));
    EXPECT_EQ(280, s.GetLength());
    EXPECT_FALSE(s.LoadString(IDS_MISSING));
    EXPECT_TRUE(s.IsEmpty());

    // Another resource module: the program's own strings are gone.
    HINSTANCE own = AfxGetResourceHandle();
    AfxSetResourceHandle(GetModuleHandleA("user32.dll"));
    EXPECT_FALSE(s.LoadString(IDS_HELLO));
    AfxSetResourceHandle(own);
    EXPECT_TRUE(s.LoadString(IDS_HELLO));
}

// ---- CPtrList ---------------------------------------------------------

int a = 1, b = 2, c = 3, d = 4;

std::string Walk(const CPtrList &list)
{
    std::string out;
    for (POSITION pos = list.GetHeadPosition(); pos;)
        out += (char)('0' + *(int *)list.GetNext(pos));
    return out;
}

std::string WalkBack(const CPtrList &list)
{
    std::string out;
    for (POSITION pos = list.GetTailPosition(); pos;)
        out += (char)('0' + *(int *)list.GetPrev(pos));
    return out;
}

TEST(CPtrListTest, PositionsSurviveOtherRemovals)
{
    CPtrList list;
    POSITION pa = list.AddTail(&a);
    POSITION pb = list.AddTail(&b);
    POSITION pc = list.AddTail(&c);
    POSITION pd = list.AddTail(&d);
    ASSERT_EQ(4, list.GetCount());

    list.RemoveAt(pb);
    EXPECT_EQ(&c, list.GetAt(pc));
    EXPECT_EQ(&a, list.GetAt(pa));
    EXPECT_EQ("134", Walk(list));
    EXPECT_EQ("431", WalkBack(list));

    EXPECT_EQ(&a, list.RemoveHead());
    EXPECT_EQ(&d, list.GetAt(pd));
    list.RemoveAt(pd);
    EXPECT_EQ(&c, list.GetHead());
    EXPECT_EQ(&c, list.GetTail());
    EXPECT_EQ(pc, list.GetHeadPosition());
    EXPECT_EQ(pc, list.GetTailPosition());

    // Positions handed out after the changes work alike.
    POSITION ph = list.AddHead(&a);
    list.SetAt(pc, &b);
    EXPECT_EQ("12", Walk(list));
    EXPECT_EQ(&a, list.GetAt(ph));
    list.RemoveAll();
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(NULL, list.GetHeadPosition());
}

TEST(CPtrListTest, FindAndFindIndex)
{
    CPtrList list;
    EXPECT_EQ(NULL, list.FindIndex(0));
    EXPECT_EQ(NULL, list.Find(&a));
    POSITION p1 = list.AddTail(&a);
    POSITION p2 = list.AddTail(&b);
    POSITION p3 = list.AddTail(&a);
    EXPECT_EQ(p1, list.Find(&a));
    EXPECT_EQ(p3, list.Find(&a, p1));   // the next one after p1
    EXPECT_EQ(NULL, list.Find(&a, p3));
    EXPECT_EQ(NULL, list.Find(&d));
    EXPECT_EQ(p2, list.FindIndex(1));
    EXPECT_EQ(p3, list.FindIndex(2));
    EXPECT_EQ(NULL, list.FindIndex(3));
    EXPECT_EQ(NULL, list.FindIndex(-1));

    POSITION before = list.InsertBefore(p2, &c);
    POSITION after = list.InsertAfter(p3, &d);
    EXPECT_EQ("13214", Walk(list));
    EXPECT_EQ(before, list.FindIndex(1));
    EXPECT_EQ(after, list.GetTailPosition());
    list.RemoveTail();
    EXPECT_EQ(p3, list.GetTailPosition());
    EXPECT_EQ(4, list.GetCount());
}

} // namespace

// The hourglass for a scope; scopes nest and each puts back what it found.
TEST(WaitCursorTest, ShowsTheHourglassAndPutsBackThePreviousCursor)
{
    HCURSOR arrow = ::LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    HCURSOR wait = ::LoadCursorA(NULL, (LPCSTR)IDC_WAIT);
    ::SetCursor(arrow);
    {
        CWaitCursor outer;
        EXPECT_EQ(wait, ::GetCursor());
        {
            CWaitCursor inner;
            ::SetCursor(arrow);   // as a message box would
            inner.Restore();
            EXPECT_EQ(wait, ::GetCursor());
        }
        EXPECT_EQ(wait, ::GetCursor());
    }
    EXPECT_EQ(arrow, ::GetCursor());
}
