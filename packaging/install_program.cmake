# install_program.cmake - writes one program's launcher and desktop entry.
#
# Runs at install time (install(CODE) from CMakeLists.txt), when the prefix is
# known: `cmake --install --prefix P` chooses it then, and CPack installs to
# /usr below a staging folder given as DESTDIR. Both files name absolute paths
# inside the prefix, so the launcher works from any current folder and through
# a link, and the desktop entry works with a prefix that is not on PATH.
#
# Set by the caller: VANTOR_PROGRAM (the program's file name), VANTOR_NAME,
# VANTOR_COMMENT, VANTOR_CATEGORIES (the desktop entry's), VANTOR_DATA_FILES
# (the data files' names, separated by spaces), VANTOR_TEMPLATES (this folder).

get_filename_component(prefix "${CMAKE_INSTALL_PREFIX}" ABSOLUTE)
set(VANTOR_PROGRAM_PATH "${prefix}/libexec/vantor/${VANTOR_PROGRAM}")
set(launcher "${prefix}/bin/${VANTOR_PROGRAM}")

# For the launcher: single-quoted words of the shell, a quote as '\''.
function(sh_quote out text)
  string(REPLACE "'" "'\\''" text "${text}")
  set(${out} "'${text}'" PARENT_SCOPE)
endfunction()
sh_quote(VANTOR_SH_DATA_DIR "${prefix}/share/vantor")
sh_quote(VANTOR_SH_PROGRAM_PATH "${VANTOR_PROGRAM_PATH}")

# For the desktop entry. A string value escapes the backslash as \\. Exec's
# argument is also quoted, with ", `, $ and \ escaped inside the quotes before
# the value's own escaping, and % written %%.
string(REPLACE "\\" "\\\\" VANTOR_DESKTOP_LAUNCHER "${launcher}")
set(arg "${launcher}")
foreach(c "\\" "\"" "`" "$")
  string(REPLACE "${c}" "\\${c}" arg "${arg}")
endforeach()
string(REPLACE "\\" "\\\\" arg "${arg}")
string(REPLACE "%" "%%" arg "${arg}")
set(VANTOR_DESKTOP_EXEC "\"${arg}\"")

# Writes the file from the template into the prefix (below DESTDIR) and
# records it in the installation's manifest like the files installed by rules.
macro(write_file template path)
  set(out "$ENV{DESTDIR}${path}")
  message(STATUS "Installing: ${out}")
  configure_file("${VANTOR_TEMPLATES}/${template}" "${out}" @ONLY)
  file(CHMOD "${out}" PERMISSIONS ${ARGN})
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${out}")
endmacro()

write_file(launcher.in "${launcher}" OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
           GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
write_file(program.desktop.in "${prefix}/share/applications/${VANTOR_PROGRAM}.desktop"
           OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
