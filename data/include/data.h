// data.h - the installer data layer in one include.
#pragma once

#include "installer_errors.h"
#include "datacache.h"
#include "products.h"
#include "clients.h"
#include "configurations.h"
#include "workingcopy.h"
#include "clientplaces.h"
