# cmake -DINPUT=page.html -DOUTPUT=remote_page.cpp -P embed_page.cmake
# The remote page as bytes in the program: nothing to install beside it.
file(READ "${INPUT}" content HEX)
string(LENGTH "${content}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${content}")
string(REGEX REPLACE "(([^,]*,){16})" "\\1\n    " bytes "${bytes}")
file(WRITE "${OUTPUT}.new" "// Made at build time from ${INPUT}.
#include \"remote/remote_page.h\"

namespace remote {
namespace {
const char kPage[] = {
    ${bytes}};
}  // namespace

std::string_view remotePage() {
    return {kPage, ${size}};
}

}  // namespace remote
")
file(RENAME "${OUTPUT}.new" "${OUTPUT}")
