// rvxbench: the floors the program's figures are measured against, each in a
// process of its own, each printing "ms <milliseconds>" (and more fields
// where named) on one line.
//
//   rvxbench read           everything start-up reads, through the installer
//                           libraries alone (the store named by VELKAN_INSTALL),
//                           and the process's peak working set
//   rvxbench write          every configuration and the default saved and
//                           committed through the libraries alone (timed from
//                           makeTempFiles to the end of the commit)
//   rvxbench fill N         one list box like the pages' filled with N items
//                           and their data (LB_INITSTORAGE, redraw off)
//   rvxbench setsel N M     M items selected one by one in a box of N items,
//                           redraw on (what one LB_SETSEL per item costs)
//   rvxbench delete N M     M items deleted one by one from a box of N (redraw
//                           off): what moving items out of a long box costs
//   rvxbench io DIR         the store's files read whole, and as many bytes as
//                           config.kxs written, flushed and renamed; prints
//                           "read-ms R write-ms W bytes B"
//
// Nothing here checks the program: these are the costs it cannot avoid.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "kxclient.h"

namespace {

double Now()
{
    static LARGE_INTEGER frequency;
    if (frequency.QuadPart == 0)
        QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return (double)t.QuadPart * 1000.0 / (double)frequency.QuadPart;
}

int Failed(const kxc::Failure &failure)
{
    std::fprintf(stderr, "rvxbench: %s\n", kxc::FailureText(failure).c_str());
    return 1;
}

int Read()
{
    double start = Now();
    std::string language;
    kxc::CurrentLanguage(&language);
    kxc::OpenProductRegistry();
    kxc::Context ctx;
    ctx.Open();

    kxc::NameList homes, names;
    kxc::Text text;
    if (kxc::VelkanHomes(homes) && !homes.empty() && kxc::InstalledProducts(homes[0], names)) {
        for (size_t i = 0; i < names.size(); i++) {
            kxc::ProductLabel(homes[0], names[i], text);
            kxc::ProductVersion(homes[0], names[i], text);
            kxc::ProductSize(homes[0], names[i], text);
        }
    }

    double products = Now() - start;
    kxc::Failure failure;
    std::vector<kxc::Configuration> configurations;
    if (!ctx.ReadConfigurations(&configurations, &failure))
        return Failed(failure);
    double read = Now() - start - products;

    ctx.AllClients(names);
    for (size_t i = 0; i < names.size(); i++) {
        ctx.ClientOS(names[i], text);
        ctx.ClientOSVersion(names[i], text);
    }
    kxc::Words words;
    ctx.ReadResolution(&words);
    kxc::CloseProductRegistry();
    double all = Now() - start;
    // The peak includes the process's own start (an empty store's peak).
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
    std::printf("ms %.1f clients %u products-ms %.1f configurations-ms %.1f clients-ms %.1f peak-working-set %llu\n",
                all, (unsigned)names.size(), products, read, all - products - read,
                (unsigned long long)memory.PeakWorkingSetSize);
    return 0;
}

int Write()
{
    kxc::Context ctx;
    ctx.Open();
    kxc::Failure failure;
    std::vector<kxc::Configuration> configurations;
    if (!ctx.ReadConfigurations(&configurations, &failure))
        return Failed(failure);
    kxc::Words words;
    bool haveDefault = ctx.ReadResolution(&words);

    double start = Now();
    if (!ctx.MakeTempFiles(&failure))
        return Failed(failure);
    for (const kxc::Configuration &c : configurations)
        if (!ctx.WriteConfiguration(c, &failure))
            return Failed(failure);
    if (haveDefault)
        ctx.SetConflictResolution(words.administrator.c_str(), words.location.c_str(), words.mandatory.c_str());
    if (!ctx.Commit(&failure))
        return Failed(failure);
    std::printf("ms %.1f configurations %u\n", Now() - start, (unsigned)configurations.size());
    return 0;
}

// A list box with the pages' styles in a window of its own.
HWND MakeBox(HWND *frame)
{
    *frame = CreateWindowA("STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, NULL, NULL, NULL, NULL);
    return CreateWindowA("LISTBOX", "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY |
                         LBS_EXTENDEDSEL | LBS_NOINTEGRALHEIGHT, 0, 0, 200, 280, *frame, NULL, NULL, NULL);
}

void Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
}

void FillBox(HWND box, int n)
{
    SendMessageA(box, WM_SETREDRAW, FALSE, 0);
    SendMessageA(box, LB_INITSTORAGE, (WPARAM)n, (LPARAM)n * 16);
    char text[32];
    for (int i = 0; i < n; i++) {
        std::snprintf(text, sizeof text, "CLIENT-%05d", i);
        LRESULT at = SendMessageA(box, LB_ADDSTRING, 0, (LPARAM)text);
        SendMessageA(box, LB_SETITEMDATA, (WPARAM)at, (LPARAM)i);
    }
    SendMessageA(box, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(box, NULL, TRUE);
    UpdateWindow(box);
}

int Fill(int n)
{
    HWND frame, box = MakeBox(&frame);
    Pump();
    double start = Now();
    FillBox(box, n);
    std::printf("ms %.1f items %d\n", Now() - start, n);
    DestroyWindow(frame);
    return 0;
}

// Times act on a box of n items; prints "ms T items N <what> M". act gets
// the box and the step between the m items it works on.
template <class Act> int OnFilledBox(int n, int m, const char *what, Act act)
{
    HWND frame, box = MakeBox(&frame);
    FillBox(box, n);
    Pump();
    double start = Now();
    act(box, n / (m ? m : 1));
    std::printf("ms %.1f items %d %s %d\n", Now() - start, n, what, m);
    DestroyWindow(frame);
    return 0;
}

int SetSel(int n, int m)
{
    return OnFilledBox(n, m, "selected", [m](HWND box, int step) {
        for (int i = 0; i < m; i++)
            SendMessageA(box, LB_SETSEL, TRUE, (LPARAM)(i * step));
    });
}

int Delete(int n, int m)
{
    return OnFilledBox(n, m, "deleted", [m](HWND box, int step) {
        SendMessageA(box, WM_SETREDRAW, FALSE, 0);
        for (int i = m - 1; i >= 0; i--)
            SendMessageA(box, LB_DELETESTRING, (WPARAM)(i * step), 0);
    });
}

// Reads a whole file, as the libraries do: open, read all, close.
long long ReadWhole(const std::string &path)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return -1;
    LARGE_INTEGER size;
    GetFileSizeEx(h, &size);
    std::string bytes((size_t)size.QuadPart, '\0');
    DWORD got = 0;
    BOOL ok = bytes.empty() || ReadFile(h, &bytes[0], (DWORD)bytes.size(), &got, NULL);
    CloseHandle(h);
    return ok ? (long long)got : -1;
}

int Io(const std::string &dir)
{
    double start = Now();
    long long catalogue = ReadWhole(dir + "\\catalogue.kxs");
    long long config = ReadWhole(dir + "\\config.kxs");
    double read = Now() - start;
    if (catalogue < 0 || config < 0) {
        std::fprintf(stderr, "rvxbench: cannot read the store in %s\n", dir.c_str());
        return 1;
    }

    std::string bytes((size_t)config, 'x');
    std::string pending = dir + "\\bench.pending", target = dir + "\\bench.out";
    start = Now();
    HANDLE h = CreateFileA(pending.c_str(), GENERIC_WRITE, 0, NULL, CREATE_NEW, 0, NULL);
    DWORD put = 0;
    BOOL ok = h != INVALID_HANDLE_VALUE && WriteFile(h, bytes.data(), (DWORD)bytes.size(), &put, NULL) &&
              FlushFileBuffers(h);
    if (h != INVALID_HANDLE_VALUE)
        CloseHandle(h);
    ok = ok && MoveFileExA(pending.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING);
    double write = Now() - start;
    DeleteFileA(target.c_str());
    DeleteFileA(pending.c_str());
    if (!ok) {
        std::fprintf(stderr, "rvxbench: cannot write %s\n", pending.c_str());
        return 1;
    }
    std::printf("read-ms %.1f write-ms %.1f bytes %lld\n", read, write, catalogue + config);
    return 0;
}

int Usage()
{
    std::fputs("usage: rvxbench read | write | fill N | setsel N M | delete N M | io DIR\n", stderr);
    return 2;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc < 2)
        return Usage();
    std::string command = argv[1];
    if (command == "read" && argc == 2)
        return Read();
    if (command == "write" && argc == 2)
        return Write();
    if (command == "fill" && argc == 3)
        return Fill(std::atoi(argv[2]));
    if (command == "setsel" && argc == 4)
        return SetSel(std::atoi(argv[2]), std::atoi(argv[3]));
    if (command == "delete" && argc == 4)
        return Delete(std::atoi(argv[2]), std::atoi(argv[3]));
    if (command == "io" && argc == 3)
        return Io(argv[2]);
    return Usage();
}
