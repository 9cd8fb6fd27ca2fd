// The record list boxes on real LISTBOX windows.
#include "data_fixture.h"

#include <memory>

namespace {

const char kProducts[] =
    "home C:\\H1\n"
    "product DT Mail | label=Mail Client | version=4.2 | size=1 | shareable\n"
    "product DT Hidden | label=Hidden Tool | version=1.0 | size=1\n"
    "product DT Forms | label=Forms (Designer) | version=3.1a | size=1 | shareable\n"
    "client Zeta | os=DOS | version=6\n"
    "client Alpha | os=DOS | version=6\n";

// A real list box, multiple selection as the pages use it, unsorted so that
// item order is list order.
template <class Box>
class RealBox
{
public:
    explicit RealBox(DWORD extraStyle = 0)
    {
        hwnd = CreateWindowExA(0, "LISTBOX", "", WS_POPUP | WS_HSCROLL | LBS_EXTENDEDSEL | LBS_NOTIFY | extraStyle,
                               0, 0, 200, 200, NULL, NULL, GetModuleHandleA(NULL), NULL);
        if (hwnd)
            box.Attach(hwnd);
        else
            ADD_FAILURE() << "CreateWindowEx LISTBOX: error " << GetLastError();
    }
    ~RealBox()
    {
        box.Detach();
        if (hwnd)
            DestroyWindow(hwnd);
    }
    std::vector<std::string> Texts() const
    {
        std::vector<std::string> out;
        for (int i = 0; i < box.GetCount(); i++) {
            CString text;
            box.GetText(i, text);
            out.push_back((const char *)text);
        }
        return out;
    }
    std::vector<int> Keys() const
    {
        std::vector<int> out;
        for (int i = 0; i < box.GetCount(); i++)
            out.push_back((int)box.GetItemData(i));
        return out;
    }
    HWND hwnd;
    Box box;
};

}  // namespace

typedef DataTest ListBoxes;

TEST_F(ListBoxes, ProductTextIsLabelAndVersionAndOnlyShareableAreOffered)
{
    Lay(kProducts);
    RealBox<ProductListBox> b;
    ASSERT_NE((HWND)NULL, b.hwnd);
    b.box.FillAll();
    EXPECT_EQ((Names{ "Mail Client (4.2)", "Forms (Designer) (3.1a)" }), b.Texts());
    EXPECT_EQ((std::vector<int>{ 0, 2 }), b.Keys());
    EXPECT_GT(b.box.GetHorizontalExtent(), 0);
    EXPECT_EQ(3, b.box.GetAllProducts().GetCount());   // the filter is not the list
    EXPECT_EQ(1, b.box.FindItem(ProductRef(2)));
    EXPECT_EQ(-1, b.box.FindItem(ProductRef(1)));
    ProductRef item = b.box.GetItemRef(1);
    EXPECT_EQ("DT Forms", std::string(item.GetName()));
}

TEST_F(ListBoxes, OsFilterRemovesAndZeroRefillsFromTheLastList)
{
    Lay(kProducts);
    RealBox<ProductListBox> b;
    ProductRefList all;
    GetProductRefs(all);
    // A product of another system, as a list of the pages may hold.
    InstalledProduct *nt = new InstalledProduct(5, "DT NT only", "NT Tool", "2", 3, "1");
    DataCache::Get().AppendProduct(nt);
    all.AppendCopy(ProductRef(nt));

    b.box.Fill(all);
    EXPECT_EQ(4, b.box.GetCount());
    b.box.SetOsFilter(1);
    EXPECT_EQ((std::vector<int>{ 0, 1, 2 }), b.Keys());
    EXPECT_EQ(1, b.box.GetOsFilter());
    b.box.SetOsFilter(3);   // only removes: nothing of NT comes back
    EXPECT_EQ(0, b.box.GetCount());
    b.box.SetOsFilter(0);   // refills under the filter that was in force (3)
    EXPECT_EQ((std::vector<int>{ 5 }), b.Keys());
    EXPECT_EQ(0, b.box.GetOsFilter());
    b.box.SetOsFilter(0);   // now unfiltered
    EXPECT_EQ(4, b.box.GetCount());

    b.box.SetOsFilter(3);
    b.box.Fill(all);        // Fill honours the filter
    EXPECT_EQ((Names{ "NT Tool (2)" }), b.Texts());

    RealBox<ProductListBox> empty;
    empty.box.SetOsFilter(4);
    EXPECT_EQ(0, empty.box.GetCount());
    EXPECT_EQ(4, empty.box.GetOsFilter());
    EXPECT_EQ(-1, empty.box.FindItem(ProductRef(0)));
}

TEST_F(ListBoxes, RemoveUnshareableKeepsOrderOfTheRest)
{
    Lay(kProducts);
    RealBox<ProductListBox> b;
    ProductRefList all;
    b.box.Fill(GetProductRefs(all));
    ASSERT_EQ(3, b.box.GetCount());
    b.box.RemoveUnshareable();
    EXPECT_EQ((std::vector<int>{ 0, 2 }), b.Keys());
}

TEST_F(ListBoxes, UnboundReferencesAreNeverShown)
{
    Lay(kProducts);
    ProductRefList list;
    list.AppendCopy(ProductRef("No Such Product"));
    list.AppendCopy(ProductRef("DT Mail"));
    list.AppendCopy(ProductRef(99));
    RealBox<ProductListBox> b;
    b.box.Fill(list);
    EXPECT_EQ((Names{ "Mail Client (4.2)" }), b.Texts());

    ClientRefList clients;
    clients.AppendCopy(ClientRef("Gone"));
    clients.AppendCopy(ClientRef("Alpha"));
    RealBox<RecordListBox> c;
    c.box.FillClients(clients);
    EXPECT_EQ((Names{ "Alpha" }), c.Texts());
    EXPECT_EQ((std::vector<int>{ 1 }), c.Keys());
}

TEST_F(ListBoxes, ClientsKeysSelectionAndSortedBoxes)
{
    Lay(kProducts);
    RealBox<RecordListBox> c(LBS_SORT);
    c.box.FillAllClients();
    EXPECT_EQ((Names{ "Alpha", "Zeta" }), c.Texts());   // the box sorts; data follows
    EXPECT_EQ((std::vector<int>{ 1, 0 }), c.Keys());
    EXPECT_EQ("Zeta", std::string(c.box.GetClientRef(1).GetName()));
    EXPECT_EQ(0, c.box.IndexOfKey(1));
    EXPECT_EQ(-1, c.box.IndexOfKey(7));

    c.box.SetSel(0, TRUE);
    c.box.SetSel(1, TRUE);
    ASSERT_EQ(2, c.box.GetSelCount());
    c.box.ClearSelection();
    EXPECT_EQ(0, c.box.GetSelCount());

    // Several items of one key: the first wins.
    RealBox<RecordListBox> d;
    d.box.AddString("a");
    d.box.SetItemData(0, 4);
    d.box.AddString("b");
    d.box.SetItemData(1, 7);
    d.box.AddString("c");
    d.box.SetItemData(2, 7);
    EXPECT_EQ(1, d.box.IndexOfKey(7));

    // Refilling replaces, it does not append.
    c.box.FillAllClients();
    EXPECT_EQ(2, c.box.GetCount());
}

TEST_F(ListBoxes, ExtentGrowsToTheWidestText)
{
    Lay("client S | os=DOS | version=1\n"
        "client A much much longer client name than the other | os=DOS | version=1\n");
    RealBox<RecordListBox> c;
    ClientRefList first;
    first.AppendCopy(ClientRef("S"));
    c.box.FillClients(first);
    int narrow = c.box.GetHorizontalExtent();
    c.box.FillAllClients();
    EXPECT_GT(c.box.GetHorizontalExtent(), narrow);
}

namespace {

// Sets a product's registry mark as the layout tool does.
void MarkShareable(const char *product, const char *value)
{
    HKEY key;
    std::string path = std::string("SOFTWARE\\VELKAN\\BACKUP\\") + product;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, NULL, 0, KEY_SET_VALUE, NULL,
                                             &key, NULL));
    RegSetValueExA(key, "Shareable", 0, REG_SZ, (const BYTE *)value, (DWORD)strlen(value) + 1);
    RegCloseKey(key);
}

struct SnapshotCase
{
    const char *name;
    bool held;              // a snapshot spans both fills
    Names afterUnmarking;   // the second fill, after "DT Forms" lost its mark
};

class ShareableSnapshots : public DataTest, public ::testing::WithParamInterface<SnapshotCase> {};

}  // namespace

// One page action reads each product's mark once; the next action reads it
// again.
TEST_P(ShareableSnapshots, MarksAreReadOncePerAction)
{
    Lay(kProducts);
    RealBox<ProductListBox> b;
    {
        std::unique_ptr<ProductListBox::ShareableSnapshot> marks;
        if (GetParam().held)
            marks.reset(new ProductListBox::ShareableSnapshot(b.box));
        b.box.FillAll();
        EXPECT_EQ((Names{ "Mail Client (4.2)", "Forms (Designer) (3.1a)" }), b.Texts());
        MarkShareable("DT Forms", "FALSE");
        b.box.FillAll();
        EXPECT_EQ(GetParam().afterUnmarking, b.Texts());
    }
    b.box.FillAll();
    EXPECT_EQ((Names{ "Mail Client (4.2)" }), b.Texts()) << "the next action sees the registry as it is";
    MarkShareable("DT Forms", "TRUE");
}

INSTANTIATE_TEST_SUITE_P(Both, ShareableSnapshots,
                         ::testing::Values(SnapshotCase{ "Held", true, { "Mail Client (4.2)", "Forms (Designer) (3.1a)" } },
                                           SnapshotCase{ "None", false, { "Mail Client (4.2)" } }),
                         [](const ::testing::TestParamInfo<SnapshotCase> &info) { return std::string(info.param.name); });

namespace {

// The WM_SETREDRAW values a subclassed box received.
std::vector<WPARAM> g_redraws;
WNDPROC g_listProc;

LRESULT CALLBACK RecordRedraw(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_SETREDRAW)
        g_redraws.push_back(wp);
    return CallWindowProcA(g_listProc, hwnd, msg, wp, lp);
}

}  // namespace

// Nested holds: drawing goes off once and on again only when the outermost
// hold ends.
TEST_F(ListBoxes, RedrawHoldsNestAndTheOutermostEnds)
{
    Lay(kProducts);
    RealBox<ProductListBox> b;
    g_redraws.clear();
    g_listProc = (WNDPROC)SetWindowLongPtrA(b.hwnd, GWLP_WNDPROC, (LONG_PTR)RecordRedraw);
    {
        ListRedrawOff outer(b.box);
        b.box.FillAll();   // holds and ends its own
        EXPECT_EQ((std::vector<WPARAM>{ FALSE }), g_redraws) << "the fill's own hold switched drawing on";
        EXPECT_EQ(2, b.box.GetCount());
    }
    EXPECT_EQ((std::vector<WPARAM>{ FALSE, TRUE }), g_redraws);
    SetWindowLongPtrA(b.hwnd, GWLP_WNDPROC, (LONG_PTR)g_listProc);
}
