// The record list boxes on real LISTBOX windows.
#include "data_fixture.h"

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
