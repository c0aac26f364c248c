# zavek_delay_import(LIBRARY DLL): an imported target LIBRARY_delayed that links the toolchain's
# import library lib<LIBRARY>.a as a delay import: the module DLL loads when one of its functions is
# first called, not with the program or library. Made at configure time from the import library's
# own names (32-bit names keep their stdcall size, which the import drops).
function(zavek_delay_import library dll)
  find_library(ZAVEK_IMPORT_${library} NAMES lib${library}.a REQUIRED)
  execute_process(COMMAND ${CMAKE_NM} ${ZAVEK_IMPORT_${library}} OUTPUT_VARIABLE symbols COMMAND_ERROR_IS_FATAL ANY)
  string(REGEX MATCHALL "I __imp_[^\r\n]+" imports "${symbols}")
  set(def "LIBRARY ${dll}\nEXPORTS\n")
  set(kill_at "")
  foreach(import IN LISTS imports)
    string(REGEX REPLACE "^I __imp_" "" name "${import}")
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
      string(REGEX REPLACE "^_" "" name "${name}")
      set(kill_at --kill-at)
    endif()
    string(APPEND def "${name}\n")
  endforeach()
  set(folder ${CMAKE_BINARY_DIR}/delayimport)
  file(MAKE_DIRECTORY ${folder})
  file(WRITE ${folder}/${library}.def "${def}")
  execute_process(COMMAND ${CMAKE_DLLTOOL} --input-def ${folder}/${library}.def --dllname ${dll}
                          --output-delaylib ${folder}/lib${library}_delayed.a ${kill_at}
                  COMMAND_ERROR_IS_FATAL ANY)
  add_library(${library}_delayed STATIC IMPORTED GLOBAL)
  set_target_properties(${library}_delayed PROPERTIES IMPORTED_LOCATION ${folder}/lib${library}_delayed.a)
endfunction()
