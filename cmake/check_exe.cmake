# Checks a built exe: it imports only DLLs that ship with Windows (nothing from the
# compiler's runtime) and, for a release build, is no larger than MAX_BYTES.
# Run as: cmake -DEXE=... -DOBJDUMP=... [-DMAX_BYTES=...] -P check_exe.cmake
cmake_minimum_required(VERSION 3.20)
set(allowed
    kernel32.dll user32.dll gdi32.dll comdlg32.dll shell32.dll ole32.dll oleaut32.dll
    comctl32.dll advapi32.dll shlwapi.dll uxtheme.dll version.dll msvcrt.dll psapi.dll)

execute_process(COMMAND "${OBJDUMP}" -p "${EXE}" OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "cannot read ${EXE}")
endif()
string(REGEX MATCHALL "DLL Name: [^\r\n]+" lines "${dump}")
if(NOT lines)
    message(FATAL_ERROR "${EXE}: no import table found")
endif()
set(bad "")
foreach(line IN LISTS lines)
    string(REPLACE "DLL Name: " "" dll "${line}")
    string(STRIP "${dll}" dll)
    string(TOLOWER "${dll}" dll)
    if(NOT dll IN_LIST allowed)
        list(APPEND bad "${dll}")
    endif()
    message(STATUS "imports ${dll}")
endforeach()
if(bad)
    message(FATAL_ERROR "${EXE} needs DLLs that do not ship with Windows: ${bad}")
endif()

if(MAX_BYTES)
    file(SIZE "${EXE}" size)
    message(STATUS "size ${size} bytes (limit ${MAX_BYTES})")
    if(size GREATER MAX_BYTES)
        message(FATAL_ERROR "${EXE} is ${size} bytes, over the limit of ${MAX_BYTES}")
    endif()
endif()
