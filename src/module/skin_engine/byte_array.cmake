# write_byte_array(output name bytes): writes a C++ source that defines the carried array
# tuxia::<name> (declared in module/carried.h) from a list of byte values.
function(write_byte_array output name bytes)
  list(LENGTH bytes length)
  string(REPLACE ";" "," body "${bytes}")
  file(WRITE "${output}.tmp"
       "// Generated at build time from ${source_file}; do not edit.\n"
       "#include \"module/carried.h\"\n\n"
       "namespace tuxia {\n\n"
       "const unsigned char ${name}[] = {\n${body}};\n"
       "const std::size_t ${name}Length = ${length};\n\n"
       "}  // namespace tuxia\n")
  file(RENAME "${output}.tmp" "${output}")
endfunction()
