# Makes the ZIP package with cpack, unpacks it into UNPACK_DIR and checks that it holds every
# file a user needs, and that its programs carry no debug information.
#   cmake -D BINARY_DIR=... -D PACKAGE=... -D UNPACK_DIR=... -D UNPACKED=... -D OBJDUMP=...
#         -P check_package.cmake
file(REMOVE ${PACKAGE})
execute_process(COMMAND ${CMAKE_CPACK_COMMAND} -G ZIP --config ${BINARY_DIR}/CPackConfig.cmake
                WORKING_DIRECTORY ${BINARY_DIR}
                RESULT_VARIABLE made OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT made EQUAL 0 OR NOT EXISTS ${PACKAGE})
  message(FATAL_ERROR "cpack failed (${made}):\n${output}")
endif()

file(REMOVE_RECURSE ${UNPACK_DIR})
file(MAKE_DIRECTORY ${UNPACK_DIR})
file(ARCHIVE_EXTRACT INPUT ${PACKAGE} DESTINATION ${UNPACK_DIR})

set(expected
  Messages.exe Help.rtf About.rtf _._ __.__ Resmelder.dll resmelder.exe
  x86/Resmelder.dll x86/resmelder.exe
  Lists/Calm.lst Lists/Confidence.lst Lists/Focus.lst Lists/Sleep.lst)
foreach(name IN LISTS expected)
  if(NOT EXISTS ${UNPACKED}/${name})
    message(FATAL_ERROR "the package lacks ${name}")
  endif()
endforeach()

# The sample files travel byte for byte (CR LF, no final line break).
get_filename_component(source_root ${CMAKE_CURRENT_LIST_DIR}/../.. ABSOLUTE)
foreach(name _._ __.__ Lists/Calm.lst)
  file(SHA256 ${UNPACKED}/${name} packed)
  file(SHA256 ${source_root}/samples/library/${name} original)
  if(NOT packed STREQUAL original)
    message(FATAL_ERROR "${name} changed on its way into the package")
  endif()
endforeach()

foreach(binary Messages.exe Resmelder.dll resmelder.exe x86/Resmelder.dll x86/resmelder.exe)
  execute_process(COMMAND ${OBJDUMP} -h ${UNPACKED}/${binary}
                  RESULT_VARIABLE dumped OUTPUT_VARIABLE sections)
  if(NOT dumped EQUAL 0)
    message(FATAL_ERROR "${binary} is not a readable PE file")
  endif()
  if(sections MATCHES "\\.debug_")
    message(FATAL_ERROR "${binary} still carries debug information")
  endif()
endforeach()
# Each Resmelder.dll for its own hosts: 64-bit beside the program, 32-bit in x86/.
foreach(pair "Resmelder.dll;pei-x86-64" "resmelder.exe;pei-x86-64"
             "x86/Resmelder.dll;pei-i386" "x86/resmelder.exe;pei-i386")
  list(GET pair 0 binary)
  list(GET pair 1 format)
  execute_process(COMMAND ${OBJDUMP} -f ${UNPACKED}/${binary} OUTPUT_VARIABLE header)
  if(NOT header MATCHES "file format ${format}\n")
    message(FATAL_ERROR "${binary} is not ${format}:\n${header}")
  endif()
endforeach()
file(SIZE ${UNPACKED}/Messages.exe size)
message(STATUS "package ${PACKAGE}: Messages.exe is ${size} bytes")
