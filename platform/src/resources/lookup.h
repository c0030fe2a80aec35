// Inside the layer: finding declared resources of a module.
#pragma once

#include "pw/resources.h"

namespace pw::detail {

// The registered resources of a live module (NULL: the program); NULL when none.
const pw::res::ModuleResources* resources_of(HMODULE module);
const pw::res::IconGroup* find_icon_group(const pw::res::ModuleResources* r, UINT id);
const pw::res::DialogTemplate* find_dialog(const pw::res::ModuleResources* r, UINT id);

}  // namespace pw::detail
