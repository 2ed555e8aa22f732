# libjpeg-turbo for the Windows build, cross-built from the source of the host's own package
# (the same release as the host's library, so both builds decode and encode alike).
# scripts/setup.sh --windows fetches the source into build/sources/.
include(ExternalProject)

file(GLOB libjpeg_tarballs ${PROJECT_SOURCE_DIR}/build/sources/libjpeg-turbo_*.orig.tar.gz)
list(SORT libjpeg_tarballs)
list(POP_BACK libjpeg_tarballs libjpeg_default)
set(TESSERA_LIBJPEG_TURBO_SOURCE "${libjpeg_default}" CACHE FILEPATH
    "The libjpeg-turbo source tarball to cross-build")
if(NOT EXISTS "${TESSERA_LIBJPEG_TURBO_SOURCE}")
  message(FATAL_ERROR "libjpeg-turbo's source not found in build/sources/: run ./scripts/setup.sh --windows")
endif()

set(libjpeg_prefix ${CMAKE_BINARY_DIR}/deps/libjpeg-turbo)
set(libjpeg_library ${libjpeg_prefix}/lib/libjpeg.a)
ExternalProject_Add(libjpeg_turbo_build
  URL ${TESSERA_LIBJPEG_TURBO_SOURCE}
  DOWNLOAD_EXTRACT_TIMESTAMP TRUE
  PREFIX ${CMAKE_BINARY_DIR}/deps/libjpeg-turbo-build
  CMAKE_GENERATOR Ninja
  CMAKE_ARGS
    -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE}
    -DCMAKE_BUILD_TYPE=Release
    -DCMAKE_INSTALL_PREFIX=${libjpeg_prefix}
    -DCMAKE_C_COMPILER_LAUNCHER=${CMAKE_C_COMPILER_LAUNCHER}
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF
    # The SIMD code needs an assembler the host lacks; the C code gives the same pixels.
    -DWITH_SIMD=OFF
  BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target jpeg-static
  # Only the library and its headers: the project's own install wants its tools built too.
  INSTALL_COMMAND ${CMAKE_COMMAND} -E make_directory ${libjpeg_prefix}/lib ${libjpeg_prefix}/include
    COMMAND ${CMAKE_COMMAND} -E copy <BINARY_DIR>/libjpeg.a ${libjpeg_prefix}/lib/
    COMMAND ${CMAKE_COMMAND} -E copy <SOURCE_DIR>/jpeglib.h <SOURCE_DIR>/jmorecfg.h
            <SOURCE_DIR>/jerror.h <BINARY_DIR>/jconfig.h ${libjpeg_prefix}/include/
  BUILD_BYPRODUCTS ${libjpeg_library})

file(MAKE_DIRECTORY ${libjpeg_prefix}/include)
add_library(libjpeg_turbo STATIC IMPORTED GLOBAL)
set_target_properties(libjpeg_turbo PROPERTIES
  IMPORTED_LOCATION ${libjpeg_library}
  INTERFACE_INCLUDE_DIRECTORIES ${libjpeg_prefix}/include)
add_dependencies(libjpeg_turbo libjpeg_turbo_build)
