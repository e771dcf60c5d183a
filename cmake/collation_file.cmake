# collation.txt: the collation table every program reads from its own folder at start-up.
# Generated from the list the repository carries (data/collations.tsv) into the folder of the
# executables, and installed beside them.
set(PORTALMEND_COLLATION_SOURCE ${CMAKE_SOURCE_DIR}/data/collations.tsv)
set(PORTALMEND_COLLATION_FILE ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/collation.txt)
add_custom_command(
  OUTPUT ${PORTALMEND_COLLATION_FILE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}
  COMMAND ${CMAKE_COMMAND} -DINPUT=${PORTALMEND_COLLATION_SOURCE} -DOUTPUT=${PORTALMEND_COLLATION_FILE}
          -P ${CMAKE_SOURCE_DIR}/tools/make_collation_txt.cmake
  DEPENDS ${PORTALMEND_COLLATION_SOURCE} ${CMAKE_SOURCE_DIR}/tools/make_collation_txt.cmake
  COMMENT "Generating collation.txt"
  VERBATIM)
add_custom_target(collation_file ALL DEPENDS ${PORTALMEND_COLLATION_FILE})
install(FILES ${PORTALMEND_COLLATION_FILE} DESTINATION bin)
