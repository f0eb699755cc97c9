# ctest check of the shipped setup.exe: at most MAX_BYTES, stripped (no debug sections, no symbol
# table), static (no MinGW runtime DLL among its imports), importing only DLLs that Windows never
# looks for beside the program, and with its version resource.
#   cmake -DEXE=<setup.exe> -DOBJDUMP=<objdump> -DMAX_BYTES=<n> -DVERSION=<a.b.c.d>
#         -P check_executable.cmake
cmake_minimum_required(VERSION 3.20)
foreach(required EXE OBJDUMP MAX_BYTES VERSION)
    if(NOT DEFINED ${required})
        message(FATAL_ERROR "check_executable.cmake: ${required} not given")
    endif()
endforeach()

file(SIZE "${EXE}" size)
message(STATUS "${EXE}: ${size} bytes (at most ${MAX_BYTES})")
set(problems "")
if(size GREATER MAX_BYTES)
    string(APPEND problems "  ${size} bytes, more than ${MAX_BYTES}\n")
endif()

function(objdump option result)
    execute_process(COMMAND "${OBJDUMP}" ${option} "${EXE}" OUTPUT_VARIABLE dump
                    RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "${OBJDUMP} ${option} failed on ${EXE}")
    endif()
    set(${result} "${dump}" PARENT_SCOPE)
endfunction()

objdump(-h sections)
string(REGEX MATCHALL " \\.debug[_a-z]*" debug_sections "${sections}")
if(debug_sections)
    string(APPEND problems "  debug sections:${debug_sections}\n")
endif()
objdump(-t symbols)
if(NOT symbols MATCHES "no symbols")
    string(APPEND problems "  a symbol table (not stripped)\n")
endif()
# Static imports are bound before the entry point, so no search restriction of the program covers
# them: a DLL of the same name beside setup.exe would run with its rights. Only Windows' known DLLs
# (those listed under KnownDLLs on Windows 7 and on Windows 10/11 alike, and ntdll, which is always
# the loader's own) come from the system folder whatever lies beside the program; comctl32 is bound
# side by side through the manifest. Everything else is bound at run time from the system folder.
set(known_dlls advapi32 clbcatq comdlg32 difxapi gdi32 imagehlp imm32 kernel32 msctf msvcrt
    normaliz nsi ntdll ole32 oleaut32 psapi sechost setupapi shell32 shlwapi user32 wldap32 ws2_32
    comctl32)
objdump(-p headers)
string(REGEX MATCHALL "DLL Name: [^\r\n]+" imports "${headers}")
list(TRANSFORM imports REPLACE "^DLL Name: " "")
message(STATUS "imports: ${imports}")
foreach(import IN LISTS imports)
    string(REGEX REPLACE "\\.[dD][lL][lL]$" "" name "${import}")
    string(TOLOWER "${name}" name)
    if(import MATCHES "^lib")
        string(APPEND problems "  imports a MinGW runtime DLL: ${import}\n")
    elseif(NOT name IN_LIST known_dlls)
        string(APPEND problems "  imports ${import}, not a known DLL of Windows: a copy beside "
               "setup.exe would be loaded in its place\n")
    endif()
endforeach()

# The version block's names and values are zero-terminated UTF-16 strings.
string(REPLACE "." "\\." version_pattern "${VERSION}")
file(STRINGS "${EXE}" version_strings ENCODING UTF-16LE
     REGEX "^(FileVersion|ProductVersion|ProductName|FileDescription|LegalCopyright|${version_pattern})$")
foreach(expected FileVersion ProductVersion ProductName FileDescription LegalCopyright ${VERSION})
    if(NOT expected IN_LIST version_strings)
        string(APPEND problems "  no ${expected} in a version resource\n")
    endif()
endforeach()

if(problems)
    message(FATAL_ERROR "${EXE} is not fit to ship:\n${problems}")
endif()
