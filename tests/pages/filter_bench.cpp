// filter_bench: the filters at 65,535 clients on the real assignments page.
// Prints the time of each step; asserts none (run it with bench/filter.sh).
#include <cstdio>

#include "page_fixture.h"

namespace {

double Millis(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return 1000.0 * (double)(to.QuadPart - from.QuadPart) / (double)f.QuadPart;
}

template <class F> double Time(F step)
{
    LARGE_INTEGER a, b;
    QueryPerformanceCounter(&a);
    step();
    QueryPerformanceCounter(&b);
    return Millis(a, b);
}

}

TEST_F(PagesTest, FilterAt65535Clients)
{
    OpenGenerated("--clients 65535 --configs 2 --per-config 1000 --products 20");
    HWND page = assignments.m_hWnd;
    int all = (int)SendDlgItemMessageA(page, IDC_LEFT_LIST, LB_GETCOUNT, 0, 0);
    std::printf("filter: %d clients listed on the left\n", all);
    const char *const typed[] = {"1", "12", "123", "1234", "123", ""};
    for (const char *text : typed) {
        double ms = Time([&] { SetDlgItemTextA(page, IDC_FILTER, text); });
        int shown = (int)SendDlgItemMessageA(page, IDC_LEFT_LIST, LB_GETCOUNT, 0, 0);
        std::printf("filter: typed \"%s\": %d shown in %.0f ms\n", text, shown, ms);
    }
    HWND box = GetDlgItem(page, IDC_CONFIGURATION);
    for (const char *text : {"", "12"}) {
        SetDlgItemTextA(page, IDC_FILTER, text);
        for (int round = 0; round < 2; ++round) {
            int index = (int)SendMessageA(box, CB_GETCURSEL, 0, 0) == 0 ? 1 : 0;
            double ms = Time([&] {
                SendMessageA(box, CB_SETCURSEL, (WPARAM)index, 0);
                ui::Notify(page, IDC_CONFIGURATION, CBN_SELENDOK);
            });
            std::printf("filter: another configuration shown with the filter \"%s\": %.0f ms\n", text, ms);
        }
    }
    int shown = (int)SendDlgItemMessageA(page, IDC_LEFT_LIST, LB_GETCOUNT, 0, 0);
    for (int i = 0; i < 50 && i < shown; ++i)
        SendDlgItemMessageA(page, IDC_LEFT_LIST, LB_SETSEL, TRUE, i);
    double ms = Time([&] { ui::Click(page, IDC_ADD); });
    std::printf("filter: 50 shown clients added while filtered: %.0f ms\n", ms);
    ms = Time([&] { SetDlgItemTextA(page, IDC_FILTER, ""); });
    std::printf("filter: cleared: %.0f ms\n", ms);
    // Back to their catalogue places: one insert each up to 256, else the
    // box is drawn anew.
    for (int n : {50, 1000}) {
        SendDlgItemMessageA(page, IDC_RIGHT_LIST, LB_SELITEMRANGEEX, 0, (LPARAM)(n - 1));
        ui::Notify(page, IDC_RIGHT_LIST, LBN_SELCHANGE);
        ms = Time([&] { ui::Click(page, IDC_REMOVE); });
        std::printf("filter: %d clients moved back to their places: %.0f ms\n", n, ms);
    }
}
