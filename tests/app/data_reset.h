// data_reset.h - every case starts with an empty cache, as the program does.
#pragma once

#include "data.h"

inline void ResetDataCacheForTest()
{
    DataCache::Get().ResetForTests();
}
