# The window, tray, picker and About cases. Included by tests/e2e/CMakeLists.txt once per
# build (KV_E2E_ARCH).

kv_e2e_case(window_tab_order window_tab_order.sh)
kv_e2e_case(window_mouse_sweep window_mouse_sweep.sh)
kv_e2e_case(tray_restore tray_restore.sh)
kv_e2e_case(tray_menu_dismiss tray_menu_dismiss.sh)
kv_e2e_case(tray_icon_colours tray_icon_colours.sh)
kv_e2e_case(picker_choose picker_choose.sh)
kv_e2e_case(picker_keep picker_keep.sh)
kv_e2e_case(about_dialog about_dialog.sh)
kv_e2e_case(about_sysinfo_path about_sysinfo.sh path)
kv_e2e_case(about_sysinfo_folder about_sysinfo.sh folder)
kv_e2e_case(about_sysinfo_none about_sysinfo.sh none)
# The stand-in tool is runmark.exe, from the fault cases' helpers.
foreach(way path folder none)
    set_tests_properties(e2e_${KV_E2E_ARCH}_about_sysinfo_${way} PROPERTIES FIXTURES_REQUIRED
        "kv_wine_prefix_${KV_E2E_ARCH};kv_rb_helpers_${KV_E2E_ARCH}")
endforeach()
