# Writes embedded_files.h and embedded_files.cpp into OUTPUT_DIR: one 16-byte aligned byte array per
# file under SOURCE_DIR/images and SOURCE_DIR/sounds, named after the file (sprite000_craft.png gives
# sprite000_craft_png). Run at build time, so the committed files are the only source of truth.
file(GLOB files LIST_DIRECTORIES false ${SOURCE_DIR}/images/* ${SOURCE_DIR}/sounds/*)
list(SORT files)

set(notice "// Made by assets/embed.cmake from the files in assets/images and assets/sounds.\n")
set(header "${notice}#pragma once\n\nnamespace pellaris::assets::embedded {\n\n")
set(source "${notice}#include \"assets/embedded_files.h\"\n\nnamespace pellaris::assets::embedded {\n")
foreach(path ${files})
  get_filename_component(name ${path} NAME)
  string(MAKE_C_IDENTIFIER ${name} symbol)
  file(SIZE ${path} size)
  file(READ ${path} hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n"
         bytes "${bytes}")
  string(APPEND header "alignas(16) extern const unsigned char ${symbol}[${size}];\n")
  string(APPEND source "\nalignas(16) const unsigned char ${symbol}[${size}] = {\n${bytes}};\n")
endforeach()
string(APPEND header "\n}  // namespace pellaris::assets::embedded\n")
string(APPEND source "\n}  // namespace pellaris::assets::embedded\n")

file(WRITE ${OUTPUT_DIR}/embedded_files.h "${header}")
file(WRITE ${OUTPUT_DIR}/embedded_files.cpp "${source}")
