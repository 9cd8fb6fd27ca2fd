// Installed products of the first product home, read once from PKRG.dll.
#pragma once
#include "datacache.h"

struct InstalledProduct
{
    int key;            // position in getInstalledProducts' list; gaps where a query failed
    CString name;       // as listed; stored configurations name products by it
    CString label;
    CString version;
    int osCode;         // every product is a "win32" product
    CString size;       // kept as the library's text; nothing reads it
};

int LoadInstalledProducts();
ProductRefList &GetProductRefs(ProductRefList &out);
