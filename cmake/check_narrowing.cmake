# cmake -DKV_ROOT=dir -DKV_SOURCES=a.cpp;b.cpp -DKV_DEFINITIONS=X;Y -P check_narrowing.cmake
# Compiles the sources for 64-bit Windows with clang and fails on any implicit conversion
# that loses the upper 32 bits, naming each line.
find_program(clang NAMES clang++ clang++-14)
find_program(mingw NAMES x86_64-w64-mingw32-g++)
if(NOT clang OR NOT mingw)
    message(FATAL_ERROR "clang++ and x86_64-w64-mingw32-g++ are needed: run scripts/setup.sh")
endif()

# clang finds mingw-w64's headers by itself, but not Debian's libstdc++ for that target:
# ask the cross compiler where its C++ headers are.
execute_process(COMMAND ${mingw} -xc++ -E -v - INPUT_FILE /dev/null
                OUTPUT_QUIET ERROR_VARIABLE search RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${mingw} did not say where its headers are:\n${search}")
endif()
string(REPLACE "\n" ";" lines "${search}")
set(flags --target=x86_64-w64-mingw32 -std=c++20 -fsyntax-only -fno-exceptions -nostdinc++
          -Wshorten-64-to-32 -Werror=shorten-64-to-32 -I${KV_ROOT})
foreach(line IN LISTS lines)
    string(STRIP "${line}" dir)
    if(dir MATCHES "/include/c\\+\\+" AND IS_DIRECTORY "${dir}")
        list(APPEND flags -isystem ${dir})
    endif()
endforeach()
foreach(definition IN LISTS KV_DEFINITIONS)
    list(APPEND flags -D${definition})
endforeach()

set(files "")
foreach(source IN LISTS KV_SOURCES)
    list(APPEND files ${KV_ROOT}/${source})
endforeach()
list(LENGTH files count)
execute_process(COMMAND ${clang} ${flags} ${files}
                RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "A 64-bit value is narrowed to 32 bits; MSVC's x64 build would stop "
                        "here (C4267/C4244). Cast it, or keep it 64-bit:\n${out}")
endif()
message(STATUS "${count} sources compiled for x86_64 Windows with no 64-to-32-bit narrowing")
