# Every binary we ship imports at load time only known DLLs (cmake/check_imports.py): the
# programs and the 64-bit Resmelder.dll, and the 32-bit DLL and tool of the windows-x86 build.
# controls-demo.exe also takes comctl32, through its manifest; Messages.exe, which starts hidden
# in the tray, takes only what that start needs (comctl32 among them).
if(NOT WIN32 OR CMAKE_SIZEOF_VOID_P EQUAL 4)
  return()
endif()

set(murmurex_check_imports /usr/bin/python3 ${PROJECT_SOURCE_DIR}/cmake/check_imports.py)
add_test(NAME load_time_imports
  COMMAND ${murmurex_check_imports}
          --tray-start $<TARGET_FILE:Messages>
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

# The tray start is held to its own list: Resmelder.dll's OLE imports are refused there.
add_test(NAME load_time_imports_tray_start_refuses_ole
  COMMAND ${murmurex_check_imports} --tray-start $<TARGET_FILE:Resmelder>)
set_tests_properties(load_time_imports_tray_start_refuses_ole PROPERTIES LABELS "static"
  PASS_REGULAR_EXPRESSION "Resmelder.dll imports ole32.dll at load time, which its tray start")
