# Writes the package's machine-readable copyright file from the two licences kept in the source
# tree, the project's (LICENSE) and the embedded font's (runtime/sprites/FONT-LICENSE), so that
# neither text is kept twice.
#   cmake -DSOURCE_DIR=... -DOUTPUT=... -P copyright.cmake

# A plain text as a copyright file's licence paragraph: each line indented, empty lines as " .".
function(as_paragraph text out)
  string(REGEX REPLACE "\n$" "" text "${text}")
  string(REPLACE "\n\n" "\n.\n" text "${text}")
  string(REPLACE "\n\n" "\n.\n" text "${text}")
  string(REPLACE "\n" "\n " text "${text}")
  set(${out} " ${text}" PARENT_SCOPE)
endfunction()

file(READ ${SOURCE_DIR}/LICENSE project_licence)
string(REGEX REPLACE "^MIT License\n\nCopyright[^\n]*\n\n" "" project_licence "${project_licence}")
as_paragraph("${project_licence}" project_paragraph)

# The font's file is itself in the copyright format: its "License: bitstream-vera" paragraph is taken
# as it stands.
file(READ ${SOURCE_DIR}/runtime/sprites/FONT-LICENSE font_file)
string(FIND "${font_file}" "License: bitstream-vera" start)
string(SUBSTRING "${font_file}" ${start} -1 font_paragraph)
string(REGEX REPLACE "\n+$" "" font_paragraph "${font_paragraph}")

file(WRITE ${OUTPUT} "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: Pellaris
Upstream-Contact: Pellaris developers <maintainers@pellaris.invalid>

Files: *
Copyright: 2026 Pellaris developers
License: Expat
Comment: The MIT licence, as the project's LICENSE file has it.

Files: runtime/sprites/font_glyphs.inc
Copyright: 2003 Bitstream, Inc.
 Bitstream Vera is a trademark of Bitstream, Inc.
 DejaVu changes are in public domain.
License: bitstream-vera
Comment: A bitmap rasterisation, made by tools/fontgen, of DejaVu Sans Bold as
 Debian packages it (fonts-dejavu-core).

License: Expat
${project_paragraph}

${font_paragraph}
")
