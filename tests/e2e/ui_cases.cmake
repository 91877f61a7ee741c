# The window, tray, picker and About cases. Included by tests/e2e/CMakeLists.txt once per
# build (KV_E2E_ARCH).

kv_e2e_case(window_tab_order window_tab_order.sh)
kv_e2e_case(window_mouse_sweep window_mouse_sweep.sh)
kv_e2e_case(tray_restore tray_restore.sh)
kv_e2e_case(tray_menu_dismiss tray_menu_dismiss.sh)
kv_e2e_case(tray_icon_colours tray_icon_colours.sh)
kv_e2e_case(picker picker.sh)
kv_e2e_case(about_dialog about_dialog.sh)
# The stand-in system-information tool is runmark.exe, from the fault cases' helpers.
set_tests_properties(e2e_${KV_E2E_ARCH}_about_dialog PROPERTIES FIXTURES_REQUIRED
    "kv_wine_prefix_${KV_E2E_ARCH};kv_rb_helpers_${KV_E2E_ARCH}")
