# Warnings, hardening and sanitizers, applied to every target of the project.
add_library(quillbox_flags INTERFACE)
target_compile_options(quillbox_flags INTERFACE -Wall -Wextra -Wpedantic)
if(QUILLBOX_WERROR)
  target_compile_options(quillbox_flags INTERFACE -Werror)
endif()
# Release builds are hardened; mingw-w64 has neither RELRO nor the fortified C library without libssp.
set(quillbox_hardened "$<AND:$<CONFIG:Release,RelWithDebInfo,MinSizeRel>,$<NOT:$<PLATFORM_ID:Windows>>>")
target_compile_options(quillbox_flags INTERFACE
                       "$<${quillbox_hardened}:-fstack-protector-strong;-D_FORTIFY_SOURCE=2>")
target_link_options(quillbox_flags INTERFACE "$<${quillbox_hardened}:-Wl,-z,relro,-z,now>")
if(QUILLBOX_ASAN OR QUILLBOX_FUZZ)
  target_compile_options(quillbox_flags INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                                                  -fno-sanitize-recover=undefined)
  target_link_options(quillbox_flags INTERFACE -fsanitize=address,undefined)
endif()
if(QUILLBOX_FUZZ)
  target_compile_options(quillbox_flags INTERFACE -fsanitize=fuzzer-no-link)
endif()

# A library's headers are included as "<folder>/<name>.h". Each library exposes a directory of its
# own that holds only a link named after its folder, so a target sees its own folder and those of
# the libraries it links, and an include from a layer above does not compile.
function(quillbox_expose_folder target)
  get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  set(root ${PROJECT_BINARY_DIR}/exposed/${target})
  file(MAKE_DIRECTORY ${root})
  file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${root}/${folder} SYMBOLIC)
  target_include_directories(${target} PUBLIC ${root})
endfunction()

# One library per source folder: every .cpp of the folder, headers exposed by folder; with
# EXCLUDING, the sources whose path matches the expression are left out.
function(quillbox_folder_library name)
  cmake_parse_arguments(PARSE_ARGV 1 folder "" "EXCLUDING" "")
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(folder_EXCLUDING)
    list(FILTER sources EXCLUDE REGEX "${folder_EXCLUDING}")
  endif()
  add_library(${name} STATIC ${sources})
  quillbox_expose_folder(${name})
  target_link_libraries(${name} PUBLIC quillbox_flags ${folder_UNPARSED_ARGUMENTS})
endfunction()
