# What a Linux desktop expects beside the two programs (each installs itself where it is built):
# the manual, man pages and shell completion, and with the desktop program its icon, desktop entry
# and file type. Included when every program target exists.
set(quillbox_packaging_dir ${PROJECT_SOURCE_DIR}/packaging)
set(quillbox_generated_dir ${PROJECT_BINARY_DIR}/packaging)
set(quillbox_doc_dir ${CMAKE_INSTALL_DATAROOTDIR}/doc/quillbox-reader)
set(quillbox_app_icon ${PROJECT_SOURCE_DIR}/res/128.svg)
file(MAKE_DIRECTORY ${quillbox_generated_dir})

find_program(QUILLBOX_GZIP gzip)
find_program(QUILLBOX_RSVG_CONVERT rsvg-convert)

# Compresses a finished man page when gzip is at hand (as Debian ships them) and installs it.
function(quillbox_install_man_page page)
  get_filename_component(name ${page} NAME)
  if(QUILLBOX_GZIP)
    add_custom_command(OUTPUT ${page}.gz
                       COMMAND ${QUILLBOX_GZIP} -9 -n -k -f ${page}
                       DEPENDS ${page}
                       VERBATIM)
    set(page ${page}.gz)
  endif()
  add_custom_target(quillbox_man_${name} ALL DEPENDS ${page})
  install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()

install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${quillbox_doc_dir})
install(DIRECTORY ${PROJECT_BINARY_DIR}/manual/ DESTINATION ${quillbox_doc_dir}/manual)

# The bash completion is made from the same option declarations as --help.
add_custom_command(OUTPUT ${quillbox_generated_dir}/quillbox-cli.bash-completion
                   COMMAND quillbox-cli-bash-completion > ${quillbox_generated_dir}/quillbox-cli.bash-completion
                   DEPENDS quillbox-cli-bash-completion
                   VERBATIM)
add_custom_target(quillbox_cli_bash_completion ALL DEPENDS ${quillbox_generated_dir}/quillbox-cli.bash-completion)
install(FILES ${quillbox_generated_dir}/quillbox-cli.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/bash-completion/completions RENAME quillbox-cli)

# The man page of quillbox-cli is its own --help, so the two always agree. Its date is the
# configuration's (SOURCE_DATE_EPOCH when set), so rebuilding never changes the page.
string(TIMESTAMP quillbox_man_date "%Y-%m-%d" UTC)
add_custom_command(OUTPUT ${quillbox_generated_dir}/quillbox-cli.1
                   COMMAND ${quillbox_packaging_dir}/man-from-help $<TARGET_FILE:quillbox-cli>
                           ${quillbox_generated_dir}/quillbox-cli.1 ${quillbox_man_date}
                   DEPENDS quillbox-cli ${quillbox_packaging_dir}/man-from-help
                   VERBATIM)
quillbox_install_man_page(${quillbox_generated_dir}/quillbox-cli.1)

if(TARGET quillbox-reader)
  string(REPLACE "-" "\\-" QUILLBOX_DOC_DIR ${CMAKE_INSTALL_PREFIX}/${quillbox_doc_dir})
  string(REPLACE "-" "\\-" QUILLBOX_WORD_appDataFallback "${QUILLBOX_WORD_appDataFallback}")
  configure_file(${quillbox_packaging_dir}/quillbox-reader.1.in ${quillbox_generated_dir}/quillbox-reader.1 @ONLY)
  quillbox_install_man_page(${quillbox_generated_dir}/quillbox-reader.1)

  install(FILES ${quillbox_packaging_dir}/quillbox-reader.desktop
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
  install(FILES ${quillbox_packaging_dir}/quillbox-reader-mime.xml
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/mime/packages RENAME quillbox-reader.xml)

  set(icon_dir ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor)
  install(FILES ${quillbox_app_icon} DESTINATION ${icon_dir}/scalable/apps RENAME quillbox-reader.svg)
  # Fixed sizes for desktops that do not scale SVG icons, drawn from the same picture.
  if(QUILLBOX_RSVG_CONVERT)
    set(icon_pngs)
    foreach(size 16 32 48 64 128 256)
      set(png ${quillbox_generated_dir}/icons/${size}x${size}/apps/quillbox-reader.png)
      add_custom_command(OUTPUT ${png}
                         COMMAND ${CMAKE_COMMAND} -E make_directory ${quillbox_generated_dir}/icons/${size}x${size}/apps
                         COMMAND ${QUILLBOX_RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${quillbox_app_icon}
                         DEPENDS ${quillbox_app_icon}
                         VERBATIM)
      list(APPEND icon_pngs ${png})
    endforeach()
    add_custom_target(quillbox_icons ALL DEPENDS ${icon_pngs})
    install(DIRECTORY ${quillbox_generated_dir}/icons/ DESTINATION ${icon_dir})
  else()
    message(STATUS "rsvg-convert not found: only the scalable icon is installed")
  endif()
endif()

include(${PROJECT_SOURCE_DIR}/cmake/QuillboxPackage.cmake)
