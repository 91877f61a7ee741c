# cmake -DKV_EXE=path -DKV_LIMIT=bytes -P check_exe_size.cmake: fails when the .exe is larger.
if(NOT EXISTS "${KV_EXE}")
    message(FATAL_ERROR "${KV_EXE} does not exist: build the mingw-i686 preset first")
endif()
file(SIZE "${KV_EXE}" size)
math(EXPR limit_kib "${KV_LIMIT} / 1024")
if(size GREATER KV_LIMIT)
    message(FATAL_ERROR
        "${KV_EXE} is ${size} bytes, over the limit of ${KV_LIMIT} bytes (${limit_kib} KiB)")
endif()
message(STATUS "${KV_EXE} is ${size} bytes, within the limit of ${KV_LIMIT} bytes (${limit_kib} KiB)")
