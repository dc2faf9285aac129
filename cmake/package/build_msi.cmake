# Builds the per-user MSI from murmurex.wxs.in with wixl. The package step runs it with the
# project version; the installer test runs it again with other versions, from the same source.
#   cmake -D WIXL=... -D MSIBUILD=... -D UPGRADE_CODE={...} -D VERSION=A.B.C -D WXS_IN=.../murmurex.wxs.in
#         -D PROGRAM_DIR=... -D SAMPLE_DIR=... -D ICON_FILE=... -D OUTPUT=.../X.msi
#         -D WORK_DIR=... -P build_msi.cmake
# PROGRAM_DIR holds Messages.exe, Help.rtf and About.rtf; SAMPLE_DIR holds Lists/, _._, __.__;
# the filled-in source goes into WORK_DIR.
foreach(required WIXL MSIBUILD UPGRADE_CODE VERSION WXS_IN PROGRAM_DIR SAMPLE_DIR ICON_FILE
                 OUTPUT WORK_DIR)
  if(NOT DEFINED ${required})
    message(FATAL_ERROR "build_msi.cmake needs -D ${required}=...")
  endif()
endforeach()

foreach(name Messages.exe Help.rtf About.rtf)
  if(NOT EXISTS ${PROGRAM_DIR}/${name})
    message(FATAL_ERROR "the MSI needs ${PROGRAM_DIR}/${name}")
  endif()
endforeach()

# wixl finds sources only relative to the .wxs file (an absolute path is not found).
set(wxs ${WORK_DIR}/murmurex-${VERSION}.wxs)
set(MSI_VERSION ${VERSION})
set(MSI_UPGRADE_CODE ${UPGRADE_CODE})
file(RELATIVE_PATH MSI_PROGRAM_DIR ${WORK_DIR} ${PROGRAM_DIR})
file(RELATIVE_PATH MSI_SAMPLE_DIR ${WORK_DIR} ${SAMPLE_DIR})
file(RELATIVE_PATH MSI_ICON_FILE ${WORK_DIR} ${ICON_FILE})

# One <File> per category file of the sample library, in a stable order.
file(GLOB sample_lists RELATIVE ${SAMPLE_DIR}/Lists ${SAMPLE_DIR}/Lists/*)
list(SORT sample_lists)
if(NOT sample_lists)
  message(FATAL_ERROR "no category files in ${SAMPLE_DIR}/Lists")
endif()
set(MSI_SAMPLE_LIST_FILES "")
set(index 0)
foreach(name IN LISTS sample_lists)
  math(EXPR index "${index} + 1")
  set(key_path "")
  if(index EQUAL 1)
    set(key_path " KeyPath=\"yes\"")
  endif()
  string(APPEND MSI_SAMPLE_LIST_FILES
    "        <File Id=\"SampleList${index}\" Name=\"${name}\"${key_path}\n"
    "              Source=\"${MSI_SAMPLE_DIR}/Lists/${name}\"/>\n")
endforeach()
configure_file(${WXS_IN} ${wxs} @ONLY)

file(REMOVE ${OUTPUT})
get_filename_component(output_dir ${OUTPUT} DIRECTORY)
file(MAKE_DIRECTORY ${output_dir})
execute_process(COMMAND ${WIXL} --arch x64 -o ${OUTPUT} ${wxs}
                RESULT_VARIABLE built OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT built EQUAL 0 OR NOT EXISTS ${OUTPUT})
  message(FATAL_ERROR "wixl failed (${built}) on ${wxs}:\n${output}")
endif()
# What wixl cannot write: the Run value only when AUTOSTART is 1, and a rebuild of the same
# version replacing the installed one instead of settling beside it (the older-version row
# gets "maximum included", 512, beside "migrate features", 1; a key column, so the row is
# written anew).
execute_process(
  COMMAND ${MSIBUILD} ${OUTPUT}
          -q "UPDATE Component SET Condition = 'AUTOSTART = \"1\"' WHERE Component = 'StartAtSignIn'"
          -q "DELETE FROM Upgrade WHERE ActionProperty = 'WIX_UPGRADE_DETECTED'"
          -q "INSERT INTO Upgrade (UpgradeCode, VersionMax, Attributes, ActionProperty) VALUES ('${UPGRADE_CODE}', '${VERSION}', 513, 'WIX_UPGRADE_DETECTED')"
  RESULT_VARIABLE patched OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT patched EQUAL 0)
  message(FATAL_ERROR "msibuild failed (${patched}) on ${OUTPUT}:\n${output}")
endif()
message(STATUS "MSI ${OUTPUT} (version ${VERSION})")
