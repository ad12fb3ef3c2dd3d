# Writes OUTPUT, a C++ source that holds the bytes of INPUT as
#   NAMESPACE::SYMBOL (const std::uint8_t[]) and NAMESPACE::SYMBOLSize (std::size_t),
# so that a resource file travels inside the library that uses it.
#   cmake -DINPUT=in.bmp -DOUTPUT=out.cpp -DNAMESPACE=a::b -DSYMBOL=kName -P embed.cmake
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
# Sixteen bytes a line.
set(bytes "")
set(offset 0)
while(offset LESS digits)
  string(SUBSTRING "${hex}" ${offset} 32 line)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1, " line "${line}")
  string(STRIP "${line}" line)
  string(APPEND bytes "    ${line}\n")
  math(EXPR offset "${offset} + 32")
endwhile()
get_filename_component(name "${INPUT}" NAME)
file(WRITE "${OUTPUT}" "// Generated from ${name} by cmake/embed.cmake; do not edit.
#include <cstddef>
#include <cstdint>

namespace ${NAMESPACE} {
extern const std::uint8_t ${SYMBOL}[] = {
${bytes}};
extern const std::size_t ${SYMBOL}Size = ${size};
}  // namespace ${NAMESPACE}
")
