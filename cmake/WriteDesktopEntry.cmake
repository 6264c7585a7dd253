# Run while installing: writes the desktop entry for the program file PARVEX_PROGRAM from
# PARVEX_DESKTOP_TEMPLATE to PARVEX_DESKTOP_FILE.
#
# Exec of a desktop entry is a command line: a path with a blank or another reserved character is put in
# double quotes, inside which ", `, $ and \ take a backslash; the file's own string escaping then
# doubles every backslash once more. A % is written %%.
set(exec "${PARVEX_PROGRAM}")
string(REPLACE "%" "%%" exec "${exec}")
if(exec MATCHES "[ \t\"'\\\\><~|&;$*?#()`]")
    string(REPLACE "\\" "\\\\" exec "${exec}")
    string(REPLACE "\"" "\\\"" exec "${exec}")
    string(REPLACE "`" "\\`" exec "${exec}")
    string(REPLACE "$" "\\$" exec "${exec}")
    string(REPLACE "\\" "\\\\" exec "${exec}")
    set(exec "\"${exec}\"")
endif()
set(PARVEX_EXEC "${exec}")
configure_file("${PARVEX_DESKTOP_TEMPLATE}" "${PARVEX_DESKTOP_FILE}" @ONLY)
