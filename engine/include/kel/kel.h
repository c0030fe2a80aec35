// The engine interface, all of it.
#pragma once

#include "kel/elist.h"
#include "kel/errlog.h"
#include "kel/geometry.h"
#include "kel/holders.h"
#include "kel/objects.h"
#include "kel/properties.h"
#include "kel/region.h"
#include "kel/registry.h"
#include "kel/types.h"
#include "kel/values.h"
#include "kel/xform.h"
