// Loading the installed-products catalogue from the product registry.
#include "products.h"
#include "installer_api.h"

namespace {

const char *const kPlatform = "win32";

// One per-product query (label, version or size) into text. Reports a
// failure; returns 1 when the text was read.
typedef int(KXAPI *ProductQuery)(const char *, const char *, int, const char *, char **, char **);

int QueryProductText(ProductQuery query, const char *home, const char *product,
                     const char *context, CString &text)
{
    char *value = NULL;
    char *err = NULL;
    int rc = query(home, kPlatform, 0, product, &value, &err);
    if (!ReportInstallerError(rc, err, context))
        return 0;   // the library's text on failure is an empty one: not read
    text = value;
    PKRGfree(value);
    return 1;
}

}  // namespace

int LoadInstalledProducts()
{
    DataCache &cache = DataCache::Get();
    if (cache.productsLoaded)
        return 1;
    if (cache.productsFailed)
        return 0;   // failed and reported within this operation already

    char **homes = NULL;
    KXCOUNT homeCount = 0;
    int rc = getAllVelkanHomes(kPlatform, &homes, &homeCount);
    if (!ReportInstallerError(rc, NULL, "retrieving Velkan Homes")) {
        cache.productsFailed = cache.loadScopeDepth > 0;
        return 0;
    }

    if (homeCount > 0) {
        // Only the first home counts; products of later homes never appear.
        const char *home = homes[0];
        char **names = NULL;
        KXCOUNT count = 0;
        char *err = NULL;
        rc = getInstalledProducts(home, kPlatform, 0, &names, &count, &err);
        if (!ReportInstallerError(rc, err, "retrieving Installed Products")) {
            FreeNameList(homes, homeCount);
            cache.productsFailed = cache.loadScopeDepth > 0;
            return 0;
        }
        OsCode win32 = OsCodeFromKeyword("win32");
        for (KXCOUNT i = 0; i < count; i++) {
            const char *name = names[i];
            CString label, version, size;
            // A product that cannot be queried completely is left out; the
            // ones after it keep their list positions as keys.
            if (!QueryProductText(getInstalledProductLabel, home, name,
                                  "retrieving the label for an installed product", label))
                continue;
            if (!QueryProductText(getInstalledProductVersion, home, name,
                                  "retrieving the version for an installed product", version))
                continue;
            if (!QueryProductText(getInstalledProductSize, home, name,
                                  "retrieving the size for an installed product", size))
                continue;
            cache.AppendProduct(new InstalledProduct((int)i, name, label, version, win32, size));
        }
        FreeNameList(names, count);
    }
    FreeNameList(homes, homeCount);
    cache.productsLoaded = 1;
    return 1;
}

ProductRefList &GetProductRefs(ProductRefList &out)
{
    LoadInstalledProducts();
    out.AssignFromRecords(DataCache::Get().installedProducts);
    return out;
}
