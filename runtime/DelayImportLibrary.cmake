# Turns a MinGW import library into one that loads its DLL on first use (cmake -P), so that the
# program can restrict the DLL search to the system folder before the DLL is ever loaded.
# In: NM, DLLTOOL, INPUT (the import library), DLL (its DLL name), DEF, OUTPUT, KILL_AT (i686).
execute_process(COMMAND ${NM} ${INPUT} OUTPUT_VARIABLE symbols COMMAND_ERROR_IS_FATAL ANY)
string(REGEX MATCHALL "[^\n]* I __imp__?[^\n]*" entries "${symbols}")
set(exports "")
foreach(entry IN LISTS entries)
    string(REGEX REPLACE ".* I __imp_" "" name "${entry}")
    if(KILL_AT)
        string(REGEX REPLACE "^_" "" name "${name}")
    endif()
    list(APPEND exports "${name}")
endforeach()
list(REMOVE_DUPLICATES exports)
list(JOIN exports "\n" lines)
file(WRITE ${DEF} "LIBRARY ${DLL}\nEXPORTS\n${lines}\n")
set(kill "")
if(KILL_AT)
    set(kill --kill-at)
endif()
execute_process(COMMAND ${DLLTOOL} ${kill} --input-def ${DEF} --dllname ${DLL} --output-delaylib ${OUTPUT}
    COMMAND_ERROR_IS_FATAL ANY)
