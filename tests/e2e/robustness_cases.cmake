# Faults, bad input and a soak. Included by CMakeLists.txt after kv_e2e_case().
# The cases need small Windows helper programs (rb_build_helpers.sh) besides the prefix.
# Included once per build (KV_E2E_ARCH); the helpers are built at the build's width.
add_test(NAME e2e_${KV_E2E_ARCH}_rb_helpers
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/rb_build_helpers.sh ${KV_E2E_ARGS})
set_tests_properties(e2e_${KV_E2E_ARCH}_rb_helpers PROPERTIES
    FIXTURES_SETUP kv_rb_helpers_${KV_E2E_ARCH} TIMEOUT 120 SKIP_RETURN_CODE 77
    ENVIRONMENT KV_ARCH=${KV_E2E_ARCH} LABELS "e2e;e2e_${KV_E2E_ARCH}")

# kv_rb_case(NAME SCRIPT TIMEOUT [VARIANT])
function(kv_rb_case name script timeout)
    kv_e2e_case(${name} ${script} ${ARGN})
    set_tests_properties(e2e_${KV_E2E_ARCH}_${name} PROPERTIES
        FIXTURES_REQUIRED "kv_wine_prefix_${KV_E2E_ARCH};kv_rb_helpers_${KV_E2E_ARCH}")
    kv_e2e_timeout(e2e_${KV_E2E_ARCH}_${name} ${timeout})
endfunction()

kv_rb_case(save_failure save_failure.sh 90)
kv_rb_case(fault_config_locked fault_config_locked.sh 60)
kv_rb_case(fault_full_disk fault_full_disk.sh 90)
kv_rb_case(fault_unicode_program fault_unicode.sh 60)
kv_rb_case(fault_decoy fault_decoy.sh 120)
kv_rb_case(fault_two_copies fault_two_copies.sh 60)
kv_rb_case(input_config_bytes input_config_bytes.sh 240)
kv_rb_case(input_minutes input_minutes.sh 180)
kv_rb_case(input_long_program input_long_program.sh 240)
kv_rb_case(fault_config_released_kept fault_config_released.sh 60 kept)
kv_rb_case(fault_config_released_changed fault_config_released.sh 60 changed)
kv_rb_case(save_on_exit save_on_exit.sh 120)
kv_rb_case(tray_notice_held tray_notice_held.sh 90)
kv_rb_case(tray_start tray_start.sh 60)
# Two real minutes, mostly asleep: started early beside the soak.
kv_rb_case(ticks_real_timer ticks_real_timer.sh 240)
set_tests_properties(e2e_${KV_E2E_ARCH}_ticks_real_timer PROPERTIES COST 900)
# About 1.5 min alone, up to 3 min beside the other cases on 2 cores: started first, so
# the short cases fill the other core meanwhile.
kv_rb_case(soak soak.sh 600)
set_tests_properties(e2e_${KV_E2E_ARCH}_soak PROPERTIES COST 1000)
