// products.h - the installed-products catalogue, read once from the product
// registry (first product home only) into the DataCache, and the products'
// "Shareable" marks.
#pragma once

#include "datacache.h"

// 1 when the catalogue is loaded (now or before), 0 when loading failed
// (reported). A failed label, version or size query leaves only that product
// out. No product home is an empty catalogue, not a failure.
int LoadInstalledProducts();

// out := one ProductRef per loaded product, in order (empty after a failed
// load). Returns out.
ProductRefList &GetProductRefs(ProductRefList &out);

// Whether the product may be offered for a shared configuration: its
// registry mark (IsShareable), read once and kept. A change to the registry
// key that holds the marks is noticed by RefreshShareableMarks, which drops
// every kept mark, so that what was changed while the program runs is read
// again.
int ProductIsShareable(const InstalledProduct &product);
// Called as a page action begins.
void RefreshShareableMarks();
// Two thousand products are six thousand registry calls: start-up has every
// loaded product's mark read on a thread of its own while it goes on loading.
// The first refresh (or ResetForTests) waits for it; the watch is armed
// before it reads, so a change made meanwhile is still seen.
void ReadShareableMarksAhead();
void WaitForShareableMarks();
