# cmake -DINPUT=file -DOUTPUT=file.cc -DSYMBOL=name -P embed.cmake
# Writes a C++ source defining `extern const std::string_view vellumo::resources::NAME` with the
# bytes of INPUT, so resource files are compiled into the program.
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hex_length)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
file(WRITE "${OUTPUT}"
  "// Generated from ${INPUT}; do not edit.\n"
  "#include <string_view>\n"
  "namespace vellumo::resources {\n"
  "namespace { constexpr char kData[] = {${bytes} '\\0'}; }\n"
  "extern const std::string_view ${SYMBOL};\n"
  "const std::string_view ${SYMBOL}(kData, sizeof(kData) - 1);\n"
  "}  // namespace vellumo::resources\n")
