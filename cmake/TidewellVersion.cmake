# The application's version strings, the one place they are set. Every program that calls
# tidewell_embed_version(<target>) carries them as a block that VersionInformation::Read
# finds by reading the program file:
#
#   "TidewellVersionBlock/1" NUL  "Translation" NUL  {id NUL}  NUL
#   {id NUL {key NUL value NUL} NUL}  NUL
#
# where id is language and code page as eight lower-case hex digits, and every text is
# UTF-8. The translation list names the string table to use; its first entry wins.

set(TIDEWELL_VERSION_TRANSLATION "040904e4")  # US English, Windows-1252
set(TIDEWELL_FILE_VERSION "2.0.0.3")
set(TIDEWELL_VERSION_STRINGS
  "CompanyName"    "Hallvex Inv."
  "FileVersion"    "${TIDEWELL_FILE_VERSION}"
  "LegalCopyright" "Copyright (C) 2026 Hallvex Inv. All rights reserved."
  "ProductName"    "Tidewell"
  "ProductVersion" "${PROJECT_VERSION}"
  "Comments"       "RC1"
)

# One C string literal per field, each closed by its NUL.
set(_fields "TidewellVersionBlock/1" "Translation" "${TIDEWELL_VERSION_TRANSLATION}" ""
            "${TIDEWELL_VERSION_TRANSLATION}" ${TIDEWELL_VERSION_STRINGS} "" "")
set(_literals "")
foreach(_field IN LISTS _fields)
  string(REPLACE "\\" "\\\\" _field "${_field}")
  string(REPLACE "\"" "\\\"" _field "${_field}")
  string(APPEND _literals "\n    \"${_field}\" \"\\0\"")
endforeach()

set(TIDEWELL_VERSION_BLOCK_SOURCE "${CMAKE_BINARY_DIR}/generated/TidewellVersionBlock.cpp"
    CACHE INTERNAL "Source file holding the embedded version block")
file(CONFIGURE OUTPUT "${TIDEWELL_VERSION_BLOCK_SOURCE}" CONTENT
"// Generated from cmake/TidewellVersion.cmake: the version block of this program.
// Nothing refers to it; it is kept so that the program file carries it.
[[gnu::used]] static const char TidewellVersionBlock[] =@_literals@;
" @ONLY)

# Embeds the version block into the executable <target>.
function(tidewell_embed_version target)
  target_sources(${target} PRIVATE "${TIDEWELL_VERSION_BLOCK_SOURCE}")
endfunction()
