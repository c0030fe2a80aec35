# winplat_module: link it, last, into every module (shared object) and program
# that uses the MFC layer: it gives each its own AfxGetStaticModuleState and runs
# a shared object's CWinApp::InitInstance / ExitInstance at load / unload.
# winplat_main: main() for a framework program (runs its CWinApp via AfxWinMain).
add_library(winplat_module STATIC ${CMAKE_CURRENT_LIST_DIR}/module_hook.cc)
set_target_properties(winplat_module PROPERTIES CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
target_link_libraries(winplat_module PUBLIC winplat)
target_link_options(winplat_module INTERFACE "LINKER:--undefined=pw_winplat_module_linked")

add_library(winplat_main STATIC ${CMAKE_CURRENT_LIST_DIR}/winmain.cc)
target_link_libraries(winplat_main PUBLIC winplat_module)
