# Generates collation.txt, the collation table read by the programs at start-up, from the
# collation list carried in data/collations.tsv.
#
#   cmake -DINPUT=data/collations.tsv -DOUTPUT=build/bin/collation.txt -P tools/make_collation_txt.cmake
#
# Every line of the list must read: collation name, tab, collation id (signed decimal), tab,
# code page (decimal). Blank lines are dropped; any other line stops the build, so that a
# damaged list is noticed here rather than by a program that silently skips it.
if(NOT DEFINED INPUT OR NOT DEFINED OUTPUT)
  message(FATAL_ERROR "make_collation_txt: INPUT and OUTPUT must be given")
endif()
file(STRINGS "${INPUT}" lines ENCODING UTF-8)
set(text "")
set(count 0)
set(line_number 0)
foreach(line IN LISTS lines)
  math(EXPR line_number "${line_number} + 1")
  string(REGEX REPLACE "\r$" "" line "${line}")
  if(line STREQUAL "")
    continue()
  endif()
  if(NOT line MATCHES "^[^\t]+\t-?[0-9]+\t[0-9]+$")
    message(FATAL_ERROR "make_collation_txt: ${INPUT}:${line_number}: not 'name<TAB>id<TAB>code page': ${line}")
  endif()
  string(APPEND text "${line}\n")
  math(EXPR count "${count} + 1")
endforeach()
if(count EQUAL 0)
  message(FATAL_ERROR "make_collation_txt: ${INPUT} holds no collation")
endif()
file(WRITE "${OUTPUT}.tmp" "${text}")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
