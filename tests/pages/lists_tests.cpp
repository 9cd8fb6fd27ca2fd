// A page's right-hand list is the configuration's list as it stands: what OK
// stores is the order shown, and products and clients the page cannot show
// (not installed, not shareable, no longer listed) keep their places,
// viewed or edited around.
#include "page_fixture.h"

using Names = std::vector<std::string>;

namespace {

struct PlacesCase {
    const char *what;
    bool products;           // the configurations page, else the assignments page
    Names stored;            // Alpha's list in the store
    const char *remove;      // an item text moved out of 1020, or null
    const char *add;         // an item text moved into 1020, or null
    Names expected;          // Alpha's list as OK hands it down
};

class StoredAsShown : public PagesTest, public ::testing::WithParamInterface<PlacesCase> {};

}  // namespace

TEST_P(StoredAsShown, AndWhatThePageCannotShowKeepsItsPlace)
{
    const PlacesCase &c = GetParam();
    std::string layout = "language us\nresolution user | shared | optional\nhome C:\\POOL\n"
                         "product KPMail | label=Mail | version=1 | size=1 | shareable\n"
                         "product KPForms | label=Forms | version=1 | size=1 | shareable\n"
                         "product KPX | label=Extra | version=1 | size=1 | shareable\n"
                         "product KPHidden | label=Hidden | version=1 | size=1\n"
                         "client C1 | os=DOS | version=1\nclient C2 | os=DOS | version=1\n"
                         "client C3 | os=DOS | version=1\n"
                         "config Alpha | admin=user | location=shared | mandatory=optional | os=Windows (32-bit) | value=0\n";
    for (const std::string &n : c.stored)
        layout += std::string(c.products ? "uses " : "assign ") + n + "\n";
    layout += "config Beta | admin=user | location=shared | mandatory=optional | os=Windows (32-bit) | value=0\n";
    Open(layout.c_str());

    CClientPage &page = c.products ? (CClientPage &)config : (CClientPage &)assignments;
    ShowPage(page);
    SelectConfiguration(page, "Alpha");
    if (c.remove) {
        SelectItems(page, IDC_RIGHT_LIST, {c.remove});
        ui::Click(page.m_hWnd, IDC_REMOVE);
    }
    if (c.add) {
        SelectItems(page, IDC_LEFT_LIST, {c.add});
        ui::Click(page.m_hWnd, IDC_ADD);
    }
    // Viewed again after another configuration: shown as it will be stored.
    SelectConfiguration(page, "Beta");
    SelectConfiguration(page, "Alpha");
    Names shown;
    for (const std::string &name : c.expected)
        if (name != "KPGone" && name != "KPHidden" && name != "GONE")
            shown.push_back(c.products ? ProductText(name == "KPX" ? "Extra" : name.c_str() + 2, "1") : name);
    EXPECT_EQ(Items(page, IDC_RIGHT_LIST), shown) << c.what;

    Collect();
    ConfigurationCopy *alpha = CopyNamed("Alpha");
    EXPECT_EQ(c.products ? NamesOf(alpha->products) : NamesOf(alpha->clients), c.expected) << c.what;
}

const std::string kMailText = ProductText("Mail", "1"), kExtraText = ProductText("Extra", "1"),
                  kFormsText = ProductText("Forms", "1");

INSTANTIATE_TEST_SUITE_P(
    Pages, StoredAsShown,
    ::testing::Values(
        PlacesCase{"a product not installed, viewed", true, {"KPMail", "KPGone", "KPForms"}, nullptr, nullptr,
                   {"KPMail", "KPGone", "KPForms"}},
        PlacesCase{"not installed and not shareable, viewed", true, {"KPGone", "KPMail", "KPHidden", "KPForms"},
                   nullptr, nullptr, {"KPGone", "KPMail", "KPHidden", "KPForms"}},
        PlacesCase{"a product removed around it", true, {"KPMail", "KPGone", "KPForms"}, kMailText.c_str(), nullptr,
                   {"KPGone", "KPForms"}},
        PlacesCase{"a product added after it", true, {"KPMail", "KPGone", "KPForms"}, nullptr, kExtraText.c_str(),
                   {"KPMail", "KPGone", "KPForms", "KPX"}},
        PlacesCase{"a product removed and added back goes last", true, {"KPMail", "KPForms", "KPX"},
                   kFormsText.c_str(), kFormsText.c_str(), {"KPMail", "KPX", "KPForms"}},
        PlacesCase{"a client removed and added back goes last", false, {"C1", "C2", "C3"}, "C2", "C2",
                   {"C1", "C3", "C2"}},
        PlacesCase{"a client no longer listed, viewed", false, {"C1", "GONE", "C3"}, nullptr, nullptr,
                   {"C1", "GONE", "C3"}},
        PlacesCase{"a client removed around it", false, {"GONE", "C1", "C3"}, "C1", nullptr, {"GONE", "C3"}},
        PlacesCase{"a client added after it", false, {"C1", "GONE"}, nullptr, "C2", {"C1", "GONE", "C2"}}));

TEST_F(PagesTest, AListScrollsAsFarAsItsWidestTextInItsOwnFont)
{
    Open("home C:\\POOL\n"
         "product KWide | label=WWWW MMMM | version=1 | size=1 | shareable\n"
         "product KThin | label=iiii llll iiii llll | version=1 | size=1 | shareable\n"
         "product KAccent | label=\xc4\xd6\xdc \xe4\xf6\xfc \xdf\xe9 | version=1 | size=1 | shareable\n"
         "client C1 | os=DOS | version=1\nclient WIDE-CLIENT-WWW | os=DOS | version=1\n"
         "config One | admin=user | location=shared | mandatory=optional | os=Windows (32-bit) | value=0\n"
         "uses KThin\nassign C1\n");
    for (CWnd *page : {(CWnd *)&config, (CWnd *)&assignments})
        for (int id : {IDC_LEFT_LIST, IDC_RIGHT_LIST}) {
            HWND box = Item(*page, id);
            HDC dc = GetDC(box);
            HGDIOBJ font = SelectObject(dc, (HFONT)SendMessageA(box, WM_GETFONT, 0, 0));
            LONG widest = 0;
            for (const std::string &text : Items(*page, id)) {
                SIZE size = {0, 0};
                GetTextExtentPoint32A(dc, text.c_str(), (int)text.size(), &size);
                widest = std::max(widest, size.cx);
            }
            SelectObject(dc, font);
            ReleaseDC(box, dc);
            EXPECT_GT(widest, 0);
            // The box's own margins: two edges' width.
            EXPECT_EQ(SendMessageA(box, LB_GETHORIZONTALEXTENT, 0, 0), widest + 2 * GetSystemMetrics(SM_CXEDGE)) << id;
        }
}

// A list drawn anew starts scrolled fully left, and scrolls sideways only
// while its widest item does not fit; an empty list never does.
TEST_F(PagesTest, ListsScrollSidewaysOnlyForWhatDoesNotFit)
{
    std::string layout = kStandardLayout;
    for (const char *name : {"Gamma", "Delta"}) {
        layout.insert(layout.find("client "), std::string("product P") + name + " | label=" + std::string(60, name[0]) +
                                                  " | version=1 | size=1 | shareable\n");
        layout += std::string("config ") + name + " | admin=user | location=shared | mandatory=optional | os=DOS | value=0\nuses P" + name + "\n";
    }
    Open(layout.c_str());
    HWND products = Item(config, IDC_RIGHT_LIST);
    auto sideways = [](HWND box) { return (GetWindowLongA(box, GWL_STYLE) & WS_HSCROLL) != 0; };
    EXPECT_FALSE(sideways(products));   // Alpha: Mail
    SelectConfiguration(config, "Gamma");
    SendMessageA(products, WM_HSCROLL, MAKEWPARAM(SB_RIGHT, 0), 0);
    ASSERT_GT(GetScrollPos(products, SB_HORZ), 0);
    SelectConfiguration(config, "Delta");
    EXPECT_EQ(GetScrollPos(products, SB_HORZ), 0);
    SelectItems(config, IDC_RIGHT_LIST, {std::string(60, 'D') + " (1)"});
    ui::Click(config.m_hWnd, IDC_REMOVE);
    EXPECT_FALSE(sideways(products)) << "empty";
}
