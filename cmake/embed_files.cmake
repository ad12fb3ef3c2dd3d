# Writes a C++ source that holds files as byte arrays, so that the library carries them
# and needs nothing installed beside it to find them. Run as a script:
#
#   cmake -DOUTPUT=<file.cpp> -DNAMESPACE=<ns> -DFILES="<name>=<path>|..." -P embed_files.cmake
#
# Each <name> becomes `extern const std::uint8_t <name>[]` and `<name>Size` in <ns>.
cmake_minimum_required(VERSION 3.20)

set(body "// Generated from the files below by cmake/embed_files.cmake; do not edit.\n")
string(APPEND body "#include <cstddef>\n#include <cstdint>\n\nnamespace ${NAMESPACE} {\n")
string(REPLACE "|" ";" entries "${FILES}")
foreach(entry IN LISTS entries)
  string(FIND "${entry}" "=" eq)
  string(SUBSTRING "${entry}" 0 ${eq} name)
  math(EXPR from "${eq} + 1")
  string(SUBSTRING "${entry}" ${from} -1 path)
  file(READ "${path}" hex HEX)
  string(LENGTH "${hex}" digits)
  math(EXPR size "${digits} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  # Sixteen bytes a line keeps the source readable (CMake's expressions have no counts).
  string(REPEAT "0x..," 16 sixteen)
  string(REGEX REPLACE "(${sixteen})" "\\1\n    " bytes "${bytes}")
  get_filename_component(file_name "${path}" NAME)
  string(APPEND body "\n// ${file_name}\nextern const std::uint8_t ${name}[] = {\n    ${bytes}\n};\n")
  string(APPEND body "extern const std::size_t ${name}Size = ${size};\n")
endforeach()
string(APPEND body "\n}  // namespace ${NAMESPACE}\n")
file(WRITE "${OUTPUT}" "${body}")
