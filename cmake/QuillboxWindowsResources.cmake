# Icon, version information and manifest of a Windows program, compiled from one .rc template.
# The icon is drawn from the program's artwork (res/128.svg) by the host's picture drawer, which a
# desktop build has; a build of the command-line reader alone leaves the icon out.
enable_language(RC)
set(quillbox_windows_dir ${PROJECT_SOURCE_DIR}/packaging/windows)
set(QUILLBOX_FILE_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0)
string(REPLACE "." "," QUILLBOX_FILE_VERSION_COMMAS ${QUILLBOX_FILE_VERSION})
set(QUILLBOX_MANIFEST ${PROJECT_BINARY_DIR}/windows/quillbox.manifest)
configure_file(${quillbox_windows_dir}/quillbox.manifest ${QUILLBOX_MANIFEST} @ONLY)
set(QUILLBOX_ICON_LINE)
if(QUILLBOX_PICTURE_DRAWER)
  set(quillbox_icon ${PROJECT_BINARY_DIR}/windows/quillbox-reader.ico)
  add_custom_command(OUTPUT ${quillbox_icon}
                     COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ${QUILLBOX_PICTURE_DRAWER}
                             --icon ${quillbox_icon} ${PROJECT_SOURCE_DIR}/res/128.svg
                     DEPENDS ${PROJECT_SOURCE_DIR}/res/128.svg VERBATIM)
  add_custom_target(quillbox_icon DEPENDS ${quillbox_icon})
  set(QUILLBOX_ICON_LINE "1 ICON \"${quillbox_icon}\"")
endif()

function(quillbox_windows_resources target description)
  set(QUILLBOX_PROGRAM ${target})
  set(QUILLBOX_DESCRIPTION "${description}")
  set(rc ${PROJECT_BINARY_DIR}/windows/${target}.rc)
  configure_file(${quillbox_windows_dir}/program.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
  set_property(SOURCE ${rc} APPEND PROPERTY OBJECT_DEPENDS ${QUILLBOX_MANIFEST})
  if(TARGET quillbox_icon)
    add_dependencies(${target} quillbox_icon)
    set_property(SOURCE ${rc} APPEND PROPERTY OBJECT_DEPENDS ${PROJECT_BINARY_DIR}/windows/quillbox-reader.ico)
  endif()
endfunction()
