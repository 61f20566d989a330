# The words that differ between the systems (where the private key lives, where the program's
# files fall back to, example paths) are kept once per system in src/platform/<system>/words.txt.
# They become QUILLBOX_WORD_<name> variables here, the C++ texts of --help (platform/platform_words.h)
# and the manual's and man page's placeholders (@QUILLBOX_WORD_<name>@).
if(WIN32)
  set(quillbox_words_file ${PROJECT_SOURCE_DIR}/src/platform/win32/words.txt)
else()
  set(quillbox_words_file ${PROJECT_SOURCE_DIR}/src/platform/posix/words.txt)
endif()
set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${quillbox_words_file})
# A backslash ending a list element would hide the separator after it, so backslashes cross the
# line split disguised.
file(READ ${quillbox_words_file} quillbox_word_lines)
string(REPLACE "\\" "<backslash>" quillbox_word_lines "${quillbox_word_lines}")
string(REPLACE "\n" ";" quillbox_word_lines "${quillbox_word_lines}")
set(QUILLBOX_WORD_NAMES)
foreach(line IN LISTS quillbox_word_lines)
  # A word may be empty: the system has no such thing.
  if(line MATCHES "^([A-Za-z0-9]+):( (.*))?$")
    string(REPLACE "<backslash>" "\\" QUILLBOX_WORD_${CMAKE_MATCH_1} "${CMAKE_MATCH_3}")
    list(APPEND QUILLBOX_WORD_NAMES ${CMAKE_MATCH_1})
  endif()
endforeach()

# The manual with the system's words in it, beside the screenshots it shows, in directory: for the
# help window and the packages (quillbox_manual_files names them). A word is text, so the
# characters that mean something in HTML are written as entities.
function(quillbox_configure_manual directory)
  foreach(name IN LISTS QUILLBOX_WORD_NAMES)
    set(text "${QUILLBOX_WORD_${name}}")
    string(REPLACE "&" "&amp;" text "${text}")
    string(REPLACE "<" "&lt;" text "${text}")
    string(REPLACE ">" "&gt;" text "${text}")
    set(QUILLBOX_WORD_${name} "${text}")
  endforeach()
  configure_file(${PROJECT_SOURCE_DIR}/docs/index.html ${directory}/index.html @ONLY)
  set(files ${directory}/index.html)
  foreach(picture main-window-restored progress signature-result-details)
    configure_file(${PROJECT_SOURCE_DIR}/docs/screenshots/${picture}.png ${directory}/screenshots/${picture}.png COPYONLY)
    list(APPEND files ${directory}/screenshots/${picture}.png)
  endforeach()
  set(quillbox_manual_files ${files} PARENT_SCOPE)
endfunction()
