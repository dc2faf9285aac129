# Warnings and platform settings shared by every target.
add_library(project_options INTERFACE)
target_compile_options(project_options INTERFACE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                                                  -Wno-sign-conversion)

if(WIN32)
  # ANSI entry points are the ones the program's byte formats use; Unicode only where named.
  target_compile_definitions(project_options INTERFACE WIN32_LEAN_AND_MEAN NOMINMAX
                                                       _WIN32_WINNT=0x0A00 WINVER=0x0A00)
endif()

if(MURMUREX_SANITIZE AND NOT WIN32)
  target_compile_options(project_options INTERFACE -fsanitize=address,undefined
                                                    -fno-omit-frame-pointer -fno-sanitize-recover=all)
  target_link_options(project_options INTERFACE -fsanitize=address,undefined)
endif()
