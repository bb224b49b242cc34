# The layers and what each may include, checked on every test run:
#   cmake -DSOURCE_DIR=... -P check_layers.cmake
# A quoted include names the layer it comes from by its first folder ("formats/...",
# "services/..." for the services' API, "core/..." for their core); a name without a
# folder is a file beside the includer. Nothing outside the Win32 layer, the resources,
# the tests and a portable module's Windows half (name_win.cpp) includes <windows.h>,
# and no portable layer declares a system function by hand (dllimport, __stdcall):
# its Windows half includes <windows.h> instead. Nor does a portable file ask which
# system it is built for (_WIN32, __MINGW32__): that is for its halves (name_win.cpp,
# name_posix.cpp) and the one header of the system's facts, files/platform.h.
set(allowed_numeric   "numeric/")
set(allowed_files     "numeric/;files/")
set(allowed_formats   "numeric/;files/;formats/")
set(allowed_overlay   "numeric/;files/;formats/;overlay/")
set(allowed_converter "numeric/;files/;formats/;converter/;services/")
set(allowed_tools     "numeric/;files/;formats/;overlay/;tools/;resources/symbol/;resources/land/")
set(allowed_services_core  "numeric/;services/;core/")
set(allowed_services_win32 "numeric/;services/;core/")

set(failures "")
foreach(layer numeric files formats overlay converter tools services/core services/win32)
  string(REPLACE "/" "_" key "${layer}")
  file(GLOB_RECURSE sources "${SOURCE_DIR}/${layer}/*.cpp" "${SOURCE_DIR}/${layer}/*.h")
  foreach(source ${sources})
    file(STRINGS "${source}" includes REGEX "^[ \t]*#[ \t]*include")
    file(RELATIVE_PATH shown "${SOURCE_DIR}" "${source}")
    if(NOT layer STREQUAL "services/win32")
      file(STRINGS "${source}" declared REGEX "__declspec[ \t]*\\([ \t]*dllimport|__stdcall")
      if(declared)
        list(APPEND failures "${shown}: declares a system function by hand")
      endif()
      file(STRINGS "${source}" asked REGEX "^[ \t]*#[ \t]*(if|ifdef|ifndef|elif).*(_WIN32|__MINGW32__)")
      if(asked AND NOT shown MATCHES "_(win|posix)\\.cpp$" AND NOT shown STREQUAL "files/platform.h")
        list(APPEND failures "${shown}: asks which system it is built for")
      endif()
    endif()
    foreach(line ${includes})
      if(line MATCHES "<windows\\.h>" AND NOT layer STREQUAL "services/win32"
         AND NOT shown MATCHES "_win\\.cpp$")
        list(APPEND failures "${shown}: includes <windows.h>")
      endif()
      if(NOT line MATCHES "\"([^\"]+)\"")
        continue()
      endif()
      set(name "${CMAKE_MATCH_1}")
      if(NOT name MATCHES "/")
        continue()  # beside the includer
      endif()
      if(name MATCHES "^services/(core|win32)/")
        list(APPEND failures "${shown}: includes ${name}, inside the services")
        continue()
      endif()
      set(ok FALSE)
      foreach(prefix ${allowed_${key}})
        string(LENGTH "${prefix}" length)
        string(SUBSTRING "${name}" 0 ${length} start)
        if(start STREQUAL prefix)
          set(ok TRUE)
        endif()
      endforeach()
      if(NOT ok)
        list(APPEND failures "${shown}: includes ${name}, outside what ${layer} may use")
      endif()
    endforeach()
  endforeach()
endforeach()

if(failures)
  list(JOIN failures "\n  " text)
  message(FATAL_ERROR "layering broken:\n  ${text}")
endif()
message(STATUS "layers keep to their dependencies")
