// products.h - the installed-products catalogue, read once from the product
// registry (first product home only) into the DataCache.
#pragma once

#include "datacache.h"

class InstalledProduct
{
public:
    InstalledProduct(int key_, const char *name_, const char *label_, const char *version_,
                     OsCode osCode_, const char *size_)
        : key(key_), name(name_), label(label_), version(version_), osCode(osCode_), size(size_) {}

    int key;          // position in getInstalledProducts' list (gaps where one failed)
    CString name;     // exactly as listed; the registry subkey of IsShareable
    CString label;
    CString version;
    OsCode osCode;    // always win32
    CString size;     // unchanged text; nothing reads it
};

// 1 when the catalogue is loaded (now or before), 0 when loading failed
// (reported). A failed label, version or size query leaves only that product
// out. No product home is an empty catalogue, not a failure.
int LoadInstalledProducts();

// out := one new ProductRef per loaded product, in order (empty after a
// failed load). Returns out.
inline ProductRefList &GetProductRefs(ProductRefList &out)
{
    out.Load(LoadInstalledProducts, DataCache::Get().installedProducts);
    return out;
}
