# The 32-bit build on 64-bit Windows (WOW64): the 32-bit kelvarion.exe and kvdriver.exe
# under Wine's 32-bit loader, in the 64-bit build's template prefix (scratch-x64), where
# Wine redirects System32 for a 32-bit process as Windows does. Included once by
# tests/e2e/CMakeLists.txt. The cases skip, saying why, where this machine runs no 32-bit
# programs or the 64-bit build's tests are left out.
set(KV_WOW64_ARGS ${KV_WINDOWS_BUILD_DIR}/kelvarion.exe ${KV_WINDOWS_BUILD_DIR}/kvdriver.exe
    ${CMAKE_CURRENT_BINARY_DIR}/scratch-x64)

# kv_wow64_case(NAME FIXTURES SCRIPT [VARIANT])
function(kv_wow64_case name fixtures script)
    set(test e2e_x86_wow64_${name})
    add_test(NAME ${test}
             COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/${script} ${KV_WOW64_ARGS} ${ARGN})
    set_tests_properties(${test} PROPERTIES
        FIXTURES_REQUIRED "${fixtures}" TIMEOUT 90 SKIP_RETURN_CODE 77
        ENVIRONMENT "KV_ARCH=x86;KV_WOW64=1;KV_TIMEOUT=90" LABELS "e2e;e2e_x86")
endfunction()

kv_wow64_case(system32 "kv_wine_prefix_x64;kv_rb_helpers_x64" wow64_system32.sh)
