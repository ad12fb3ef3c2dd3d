# Sheenwork on Windows, cross-built with mingw-w64 (make windows; cmake/mingw-w64.cmake).
#
# The platform layer is the real one: real GDI instead of our raster (which is not linked
# here), USER32 and the common controls, the registry, the shell, sound and the
# message box, the imaging component for PNG, JPEG and GIF. The library is
# sheenwork.dll, an in-process COM server: its type library, compiled from
# src/platform/host/win32/sheenwork.idl by widl, travels inside it as a resource, with
# the toolbox bitmap. sheenwork.exe is the tool (render, check, props, gallery) and the
# container that opens a form file in a window with each button as an ActiveX control.
# make windows also packs them, with the headers, the import library and the documents,
# as sheenwork-<version>-win64.zip.

add_compile_definitions(NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)

# The real platform layer beside the files every platform shares (CMakeLists.txt).
file(GLOB SHEENWORK_WIN32_SOURCES CONFIGURE_DEPENDS
  src/platform/win32/*.cpp
  src/platform/gdi/win32/*.cpp
  src/platform/system/win32/*.cpp
  src/platform/user/win32/*.cpp
  src/platform/picture/win32/*.cpp)
target_sources(sheenwork_objects PRIVATE ${SHEENWORK_WIN32_SOURCES})

set(SHEENWORK_WIN32_LIBS gdi32 user32 comctl32 ole32 oleaut32 uuid shell32 winmm uxtheme
  windowscodecs advapi32 msimg32)

# The static library: the tool and the tests' Windows programs link the library in.
add_library(sheenwork_static STATIC $<TARGET_OBJECTS:sheenwork_objects>)
target_include_directories(sheenwork_static PUBLIC $<BUILD_INTERFACE:${CMAKE_SOURCE_DIR}/include>
  $<INSTALL_INTERFACE:include>)
target_link_libraries(sheenwork_static PUBLIC ${SHEENWORK_WIN32_LIBS})

# The type library: our IDL in the code page the type library stores (the source is
# UTF-8), compiled by widl against the system's stdole2.tlb, then completed by
# typelib-fixup (cmake/typelib_fixup.cpp, built for the build machine).
find_program(SHEENWORK_WIDL NAMES ${MINGW_PREFIX}-widl widl REQUIRED)
find_program(SHEENWORK_ICONV iconv REQUIRED)
find_program(SHEENWORK_HOST_CXX NAMES c++ g++ REQUIRED)
find_path(SHEENWORK_STDOLE_DIR stdole2.tlb REQUIRED NO_CMAKE_FIND_ROOT_PATH
  PATHS /usr/lib/x86_64-linux-gnu/wine/x86_64-windows /usr/lib/wine/x86_64-windows
  /usr/lib64/wine/x86_64-windows)
set(SHEENWORK_GEN ${CMAKE_BINARY_DIR}/generated)
set(SHEENWORK_IDL ${CMAKE_SOURCE_DIR}/src/platform/host/win32/sheenwork.idl)
set(SHEENWORK_FIXUP ${CMAKE_BINARY_DIR}/typelib-fixup)
set(SHEENWORK_TLB ${SHEENWORK_GEN}/sheenwork.tlb)
add_custom_command(OUTPUT ${SHEENWORK_FIXUP}
  COMMAND ${SHEENWORK_HOST_CXX} -std=c++20 -O1 -o ${SHEENWORK_FIXUP}
    ${CMAKE_SOURCE_DIR}/cmake/typelib_fixup.cpp
  DEPENDS cmake/typelib_fixup.cpp
  COMMENT "Building typelib-fixup for the build machine")
add_custom_command(OUTPUT ${SHEENWORK_TLB}
  COMMAND ${SHEENWORK_ICONV} -f UTF-8 -t CP1252 -o ${SHEENWORK_GEN}/sheenwork-1252.idl ${SHEENWORK_IDL}
  COMMAND ${SHEENWORK_WIDL} --win64 -t -L ${SHEENWORK_STDOLE_DIR}
    -o ${SHEENWORK_GEN}/sheenwork-widl.tlb ${SHEENWORK_GEN}/sheenwork-1252.idl
  COMMAND ${SHEENWORK_FIXUP} ${SHEENWORK_GEN}/sheenwork-widl.tlb ${SHEENWORK_TLB}
  DEPENDS ${SHEENWORK_IDL} ${SHEENWORK_FIXUP}
  COMMENT "Compiling the type library")
set(SHEENWORK_TOOLBOX ${CMAKE_SOURCE_DIR}/resources/toolbox.bmp)
configure_file(src/platform/host/win32/sheenwork.rc.in ${SHEENWORK_GEN}/sheenwork.rc @ONLY)
set_source_files_properties(${SHEENWORK_GEN}/sheenwork.rc PROPERTIES
  OBJECT_DEPENDS "${SHEENWORK_TLB};${SHEENWORK_TOOLBOX}")
enable_language(RC)

# sheenwork.dll: the library and its COM server. Every symbol is exported (mingw's
# default without a .def file), so a program can also link it through the import
# library and use the C++ interface of the headers.
add_library(sheenwork SHARED $<TARGET_OBJECTS:sheenwork_objects>
  src/platform/host/win32/server.cpp
  src/platform/host/win32/automation.cpp
  src/platform/host/win32/control.cpp
  src/platform/host/win32/site.cpp
  src/platform/host/win32/about.cpp
  ${SHEENWORK_GEN}/sheenwork.rc)
set_target_properties(sheenwork PROPERTIES PREFIX "" IMPORT_PREFIX "lib" OUTPUT_NAME sheenwork)
target_include_directories(sheenwork PUBLIC $<BUILD_INTERFACE:${CMAKE_SOURCE_DIR}/include>
  $<INSTALL_INTERFACE:include> PRIVATE src)
target_link_libraries(sheenwork PUBLIC ${SHEENWORK_WIN32_LIBS})

# The container: forms in windows with the buttons as ActiveX controls (sheenwork run).
add_library(sheenwork_container STATIC src/platform/host/win32/container.cpp)
target_include_directories(sheenwork_container PUBLIC src)
target_link_libraries(sheenwork_container PUBLIC sheenwork_static)

# sheenwork.exe: render, check, props and gallery through the library linked in (real GDI
# draws the surfaces), run through the container.
set(SHEENWORK_GALLERY_CPP ${SHEENWORK_GEN}/gallery_form.cpp)
add_custom_command(OUTPUT ${SHEENWORK_GALLERY_CPP}
  COMMAND ${CMAKE_COMMAND} -DOUTPUT=${SHEENWORK_GALLERY_CPP} -DNAMESPACE=sheenwork::cli
    "-DFILES=kGalleryForm=${CMAKE_SOURCE_DIR}/tools/sheenwork/gallery.sfm"
    -P ${CMAKE_SOURCE_DIR}/cmake/embed_files.cmake
  DEPENDS tools/sheenwork/gallery.sfm cmake/embed_files.cmake
  COMMENT "Embedding the gallery's form"
  VERBATIM)
add_executable(sheenwork_cli
  tools/sheenwork/main_windows.cpp
  tools/sheenwork/run_windows.cpp
  tools/sheenwork/cli.cpp
  tools/sheenwork/props.cpp
  tools/sheenwork/render.cpp
  tools/sheenwork/preview.cpp
  tools/sheenwork/gallery.cpp
  tools/png_zlib.cpp
  ${SHEENWORK_GALLERY_CPP})
set_target_properties(sheenwork_cli PROPERTIES OUTPUT_NAME sheenwork)
target_include_directories(sheenwork_cli PRIVATE tools tools/sheenwork src)
# Qt Designer's .ui files are read with expat, which the Windows build does not have:
# its tool has no convert command.
target_compile_definitions(sheenwork_cli PRIVATE SHEENWORK_NO_UI_FILES)
find_library(SHEENWORK_ZLIB NAMES libz.a z REQUIRED)
target_link_libraries(sheenwork_cli PRIVATE sheenwork_container ${SHEENWORK_ZLIB})

# The package: make windows packs sheenwork-<version>-win64.zip.
install(TARGETS sheenwork sheenwork_cli RUNTIME DESTINATION bin ARCHIVE DESTINATION lib)
install(FILES ${SHEENWORK_TLB} DESTINATION lib)
install(DIRECTORY include/sheenwork DESTINATION include)
install(FILES README.md LICENSE DESTINATION share/doc/sheenwork)
install(DIRECTORY docs/ DESTINATION share/doc/sheenwork/docs)
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME sheenwork)
set(CPACK_PACKAGE_FILE_NAME sheenwork-${PROJECT_VERSION}-win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
include(CPack)

# Programs the Windows tests run under Wine (tests/windows; not packed): a client of the
# control, which also lists the type library it loads.
add_executable(sheenwork-client tests/windows/client.cpp)
target_include_directories(sheenwork-client PRIVATE tests)
target_link_libraries(sheenwork-client PRIVATE oleaut32 ole32 uuid gdi32 user32 advapi32)
# The container with a story of the runtime as its form.
add_executable(sheenwork-story-container tests/windows/story_container.cpp tests/support/story.cpp)
target_include_directories(sheenwork-story-container PRIVATE tests src)
target_compile_definitions(sheenwork-story-container PRIVATE
  SHEENWORK_TEST_DATA_DIR="${CMAKE_SOURCE_DIR}/tests/data")
target_link_libraries(sheenwork-story-container PRIVATE sheenwork_container)
