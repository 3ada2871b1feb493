# Read by cpack for each package it makes, after the configuration.

if(CPACK_INSTALLED_DIRECTORIES)
  # The source package: the files git tracks, and no build folder, map or
  # editor file that happens to lie in the tree.
  list(GET CPACK_INSTALLED_DIRECTORIES 0 source_dir)
  # CPack 3.25 finds no file below a folder whose path holds a bracket.
  if(source_dir MATCHES "[][]")
    message(FATAL_ERROR "The source package cannot be made in ${source_dir}, as its path holds [ "
                        "or ]: make it from a checkout whose path holds neither")
  endif()
  execute_process(COMMAND git -c core.quotePath=false ls-files --others --directory
                  WORKING_DIRECTORY "${source_dir}" OUTPUT_VARIABLE untracked
                  RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "The source package is made from a git checkout, with git")
  endif()
  # Both are regular expressions to CPack: a "+" or "." in a name stands for itself.
  string(REGEX REPLACE "([][+.*()^$?|\\\\])" "\\\\\\1" untracked "${untracked}")
  string(REGEX REPLACE "([][+.*()^$?|\\\\])" "\\\\\\1" source_dir "${source_dir}")
  string(REGEX REPLACE "\n$" "" untracked "${untracked}")
  string(REPLACE "\n" ";" untracked "${untracked}")
  # A folder (listed with its "/") is left out whole, a file by its exact name.
  foreach(path IN LISTS untracked)
    if(NOT path MATCHES "/$")
      string(APPEND path "$")
    endif()
    list(APPEND CPACK_IGNORE_FILES "^${source_dir}/${path}")
  endforeach()
else()
  # One package of the components that suit it.
  set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
  set(CPACK_DEB_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
  if(CPACK_GENERATOR STREQUAL "DEB")
    set(CPACK_COMPONENTS_ALL program manual debian)
  else()
    set(CPACK_COMPONENTS_ALL ${CPACK_LUMVERT_ARCHIVE})
    set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY ON)
  endif()
endif()
