# Every binary we ship imports at load time only known DLLs (cmake/check_imports.py): the
# programs and the 64-bit Resmelder.dll, and the 32-bit DLL and tool of the windows-x86 build.
# Messages.exe and controls-demo.exe also take comctl32, through their manifest.
if(NOT WIN32 OR CMAKE_SIZEOF_VOID_P EQUAL 4)
  return()
endif()

set(murmurex_check_imports /usr/bin/python3 ${PROJECT_SOURCE_DIR}/cmake/check_imports.py)
add_test(NAME load_time_imports
  COMMAND ${murmurex_check_imports}
          --common-controls $<TARGET_FILE:Messages>
          --common-controls $<TARGET_FILE:controls-demo>
          $<TARGET_FILE:resmelder_tool> $<TARGET_FILE:Resmelder>
          ${MURMUREX_X86_BUILD}/resmelder/com/Resmelder.dll
          ${MURMUREX_X86_BUILD}/resmelder/tool/resmelder.exe)
set_tests_properties(load_time_imports PROPERTIES LABELS "static")

# The check can fail: a test program that still imports uxtheme is refused by name.
add_test(NAME load_time_imports_refuses_uxtheme
  COMMAND ${murmurex_check_imports} $<TARGET_FILE:button_paint_win_test>)
set_tests_properties(load_time_imports_refuses_uxtheme PROPERTIES LABELS "static"
  PASS_REGULAR_EXPRESSION "button_paint_win_test.exe imports uxtheme.dll at load time")
