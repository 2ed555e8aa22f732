# Build helpers shared by every folder: warnings, sanitizers, and adding folders by their presence
# so that a new module or tool needs no edit outside its own folder.

add_library(tessera_options INTERFACE)
target_compile_options(tessera_options INTERFACE
  -Wall -Wextra -Wshadow -Wnon-virtual-dtor -Wcast-align -Wunused -Woverloaded-virtual
  -Wnull-dereference -Wformat=2 -Wimplicit-fallthrough)
target_include_directories(tessera_options INTERFACE ${PROJECT_SOURCE_DIR})
if(TESSERA_WERROR)
  target_compile_options(tessera_options INTERFACE -Werror)
endif()
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  # GCC 12 sees overlapping copies inside std::string's own inlined code when optimising (its
  # bug 105651); the warning says nothing about ours.
  target_compile_options(tessera_options INTERFACE -Wno-restrict)
endif()
if(WIN32)
  # <GL/gl.h> and <GL/glu.h> include <windows.h> unless these are defined; with them, no file
  # outside engine/platform/ sees a Windows header.
  target_compile_definitions(tessera_options INTERFACE
    "WINGDIAPI=__declspec(dllimport)" APIENTRY=__stdcall CALLBACK=__stdcall
    # M_PI and its kin, which the C library there hides in standard mode.
    _USE_MATH_DEFINES)
  # Every program stands alone: the C++ runtime, threads and zlib are linked in, no DLL beside it.
  target_link_options(tessera_options INTERFACE -static)
endif()

if(TESSERA_SANITIZE)
  target_compile_options(tessera_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(tessera_options INTERFACE -fsanitize=address,undefined)
endif()
if(TESSERA_FUZZ)
  # Every library is instrumented for coverage feedback; only fuzz targets link libFuzzer's main.
  target_compile_options(tessera_options INTERFACE -fsanitize=fuzzer-no-link)
endif()
if(TESSERA_COVERAGE)
  target_compile_options(tessera_options INTERFACE --coverage -O0)
  target_link_options(tessera_options INTERFACE --coverage)
endif()

# Adds every immediate subfolder of DIR that has a CMakeLists.txt, in name order.
function(tessera_add_subdirectories dir)
  file(GLOB children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR}/${dir}
       ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*)
  list(SORT children)
  foreach(child IN LISTS children)
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/${child}/CMakeLists.txt)
      add_subdirectory(${dir}/${child})
    endif()
  endforeach()
endfunction()

# Registers a content target (generated or copied game data) so that `tessera_content` builds it.
function(tessera_content_target name)
  set_property(GLOBAL APPEND PROPERTY TESSERA_CONTENT_TARGETS ${name})
endfunction()

# Runs one assetgen generator into the game folder as a content target; the files after the comment
# are what the generator writes, relative to the game folder.
function(tessera_generated_content target generator comment)
  set(outputs)
  foreach(file IN LISTS ARGN)
    list(APPEND outputs ${TESSERA_GAME_DIR}/${file})
  endforeach()
  add_custom_command(OUTPUT ${outputs}
    COMMAND $<TARGET_FILE:assetgen> ${TESSERA_GAME_DIR} ${generator}
    DEPENDS assetgen
    COMMENT ${comment}
    VERBATIM)
  add_custom_target(${target} DEPENDS ${outputs})
  tessera_content_target(${target})
endfunction()
