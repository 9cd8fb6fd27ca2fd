// Loading the installed-products catalogue from the product registry.
#include "products.h"

namespace {

typedef bool (*ProductQuery)(const char *, const char *, kxc::Text &, kxc::Failure *);

// One per-product query (label, version or size) into text. Reports a
// failure; returns 1 when the text was read.
int QueryProductText(ProductQuery query, const char *home, const char *product, CString &text)
{
    kxc::Text value;
    kxc::Failure failure;
    if (!query(home, product, value, &failure))
        return ReportInstallerError(failure);
    text = value.c_str();
    return 1;
}

}  // namespace

int LoadInstalledProducts()
{
    DataCache &cache = DataCache::Get();
    if (int known = cache.Known(cache.productsLoaded, cache.productsFailed); known >= 0)
        return known;
    // The thread reading marks walks the records this load appends to.
    WaitForShareableMarks();

    kxc::NameList homes;
    kxc::Failure failure;
    if (!kxc::VelkanHomes(homes, &failure)) {
        cache.productsFailed = cache.loadScopeDepth > 0;
        return ReportInstallerError(failure);
    }

    if (!homes.empty()) {
        // Only the first home counts; products of later homes never appear.
        const char *home = homes[0];
        kxc::NameList names;
        if (!kxc::InstalledProducts(home, names, &failure)) {
            cache.productsFailed = cache.loadScopeDepth > 0;
            return ReportInstallerError(failure);
        }
        // The registry lists the products of the platform it is asked for.
        OsCode system = OsCodeFromKeyword(kxc::kPlatform);
        for (size_t i = 0; i < names.size(); i++) {
            const char *name = names[i];
            CString label, version, size;
            // A product that cannot be queried completely is left out; the
            // ones after it keep their list positions as keys.
            if (!QueryProductText(kxc::ProductLabel, home, name, label) ||
                !QueryProductText(kxc::ProductVersion, home, name, version) ||
                !QueryProductText(kxc::ProductSize, home, name, size))
                continue;
            cache.AppendProduct(InstalledProduct((int)i, name, label, version, system, size));
        }
    }
    cache.productsLoaded = 1;
    return 1;
}

// ---- the "Shareable" marks ---------------------------------------------------

namespace {

// Watches the registry key that holds the marks for any change below it.
// Where that key does not exist yet, its nearest existing parent is watched,
// so that the key's creation is noticed too. Without a watch (no key could be
// opened) every refresh drops the marks, as if each action were the first.
class MarkWatch
{
public:
    ~MarkWatch() { Close(); }

    // 1 when the registry may have changed since the last call (and on the
    // first), 0 when the watch says it has not; the watch is armed again
    // before the marks are read anew, so no change made meanwhile is missed.
    int Changed()
    {
        if (key && WaitForSingleObject(event, 0) == WAIT_TIMEOUT)
            return 0;
        Arm();
        return 1;
    }

private:
    void Close()
    {
        if (key)
            RegCloseKey(key);
        key = NULL;
    }

    void Arm()
    {
        static const char *const paths[] = {"SOFTWARE\\VELKAN\\BACKUP", "SOFTWARE\\VELKAN", "SOFTWARE"};
        Close();
        if (!event && !(event = CreateEventA(NULL, TRUE, FALSE, NULL)))
            return;
        ResetEvent(event);
        for (const char *path : paths) {
            if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_NOTIFY, &key) != ERROR_SUCCESS) {
                key = NULL;
                continue;
            }
            if (RegNotifyChangeKeyValue(key, TRUE, REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET, event,
                                        TRUE) == ERROR_SUCCESS)
                return;
            Close();
        }
    }

    HKEY key = NULL;
    HANDLE event = NULL;   // manual reset; lives as long as the process
};

// The marks read with markRead equal to this are current; 0 is never current.
unsigned marksGeneration = 0;
// Reads every loaded product's mark ahead (ReadShareableMarksAhead).
HANDLE aheadThread = NULL;

DWORD WINAPI ReadMarks(void *generation)
{
    for (const InstalledProduct &product : DataCache::Get().installedProducts) {
        product.mark = IsShareable(product.name);
        product.markRead = (unsigned)(UINT_PTR)generation;
    }
    return 0;
}

}  // namespace

void ReadShareableMarksAhead()
{
    RefreshShareableMarks();
    if (DataCache::Get().installedProducts.empty())
        return;
    // Without a thread the marks are read as they are needed.
    aheadThread = CreateThread(NULL, 256 * 1024, ReadMarks, (void *)(UINT_PTR)marksGeneration,
                               STACK_SIZE_PARAM_IS_A_RESERVATION, NULL);
}

void WaitForShareableMarks()
{
    if (!aheadThread)
        return;
    WaitForSingleObject(aheadThread, INFINITE);
    CloseHandle(aheadThread);
    aheadThread = NULL;
}

void RefreshShareableMarks()
{
    static MarkWatch watch;
    WaitForShareableMarks();
    if (watch.Changed())
        ++marksGeneration;
}

int ProductIsShareable(const InstalledProduct &product)
{
    WaitForShareableMarks();
    if (marksGeneration == 0)
        RefreshShareableMarks();
    if (product.markRead != marksGeneration) {
        product.mark = IsShareable(product.name);
        product.markRead = marksGeneration;
    }
    return product.mark;
}
