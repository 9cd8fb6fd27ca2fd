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
            cache.AppendProduct(new InstalledProduct((int)i, name, label, version, system, size));
        }
    }
    cache.productsLoaded = 1;
    return 1;
}
