# stage.cmake - lays out the folder that the zip holds and the installer
# installs, and the installer's list of it. Run by packaging/windows at build
# time (cmake -P) with:
#
#   STAGE     the folder to make anew
#   FILES     files to put at its top (the programs, their DLLs, the data),
#             separated by "|"
#   LICENSES  files to put in its licenses/ folder, separated by "|"
#   STRIP     the strip tool, for the programs and DLLs (debugging symbols
#             stay in the build folder's copies)
#   NSH       the include file to write for installer.nsi: the macros
#             VANTOR_DELETE_FILES and VANTOR_DELETE_FOLDERS, which delete
#             every staged file and folder below the folder they are given,
#             deepest first, and SIZE_KB, the staged size in KiB

string(REPLACE "|" ";" FILES "${FILES}")
string(REPLACE "|" ";" LICENSES "${LICENSES}")
file(REMOVE_RECURSE ${STAGE})
file(MAKE_DIRECTORY ${STAGE}/licenses)
file(COPY ${FILES} DESTINATION ${STAGE})
file(COPY ${LICENSES} DESTINATION ${STAGE}/licenses)

file(GLOB binaries ${STAGE}/*.exe ${STAGE}/*.dll)
foreach(binary ${binaries})
  execute_process(COMMAND ${STRIP} --strip-unneeded ${binary} RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "cannot strip ${binary}")
  endif()
endforeach()

file(GLOB_RECURSE staged LIST_DIRECTORIES true RELATIVE ${STAGE} ${STAGE}/*)
list(SORT staged)
list(REVERSE staged)
set(files "")
set(folders "")
set(bytes 0)
foreach(path ${staged})
  string(REPLACE "/" "\\" windows_path "${path}")
  if(IS_DIRECTORY ${STAGE}/${path})
    string(APPEND folders "  RMDir \"\${dir}\\${windows_path}\"\n")
  else()
    string(APPEND files "  Delete \"\${dir}\\${windows_path}\"\n")
    file(SIZE ${STAGE}/${path} size)
    math(EXPR bytes "${bytes} + ${size}")
  endif()
endforeach()
math(EXPR kib "(${bytes} + 1023) / 1024")
file(WRITE ${NSH} "; Written by stage.cmake: what the installer installs.\n"
  "!define SIZE_KB ${kib}\n"
  "!macro VANTOR_DELETE_FILES dir\n${files}!macroend\n"
  "!macro VANTOR_DELETE_FOLDERS dir\n${folders}!macroend\n")
