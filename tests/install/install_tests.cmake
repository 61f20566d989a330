# Shell tests of what `cmake --install` lays out: the installed programs away from the build tree,
# the Debian package, the desktop entry and file type, the generated man page, and the shell
# completion.
set(install_test_dir ${CMAKE_CURRENT_LIST_DIR})
set(install_with_desktop 0)
if(TARGET quillbox-reader)
  set(install_with_desktop 1)
endif()
set(install_with_pngs 0)
if(install_with_desktop AND QUILLBOX_RSVG_CONVERT)
  set(install_with_pngs 1)
endif()

add_test(NAME installed_programs
         COMMAND ${install_test_dir}/installed_programs_test.sh ${CMAKE_COMMAND} ${PROJECT_BINARY_DIR}
                 ${PROJECT_VERSION} ${install_with_desktop} ${install_with_pngs})
add_test(NAME debian_package
         COMMAND ${install_test_dir}/debian_package_test.sh ${CMAKE_CPACK_COMMAND} ${PROJECT_BINARY_DIR}
                 ${install_with_desktop} ${install_with_pngs})
add_test(NAME desktop_files COMMAND ${install_test_dir}/desktop_files_test.sh ${quillbox_packaging_dir})
add_test(NAME cli_man_page
         COMMAND ${install_test_dir}/man_page_test.sh ${quillbox_packaging_dir}/man-from-help
                 $<TARGET_FILE:quillbox-cli> ${quillbox_generated_dir}/quillbox-cli.1
                 ${quillbox_man_date})
add_test(NAME cli_completion
         COMMAND ${install_test_dir}/completion_test.sh ${quillbox_generated_dir}/quillbox-cli.bash-completion
                 $<TARGET_FILE:quillbox-cli>)
set_tests_properties(installed_programs debian_package desktop_files cli_man_page cli_completion
                     PROPERTIES SKIP_RETURN_CODE 77 LABELS install)
