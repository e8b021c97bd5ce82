# One moment stamps everything a build dates: the Windows linker's PE time
# stamp, the files in the zip and in the installer, the .deb's archive, the
# manual page's and the Debian changelog's dates. It is SOURCE_DATE_EPOCH when
# the environment sets it, else the time of the last commit, so two builds of
# one commit give the same bytes. A tree without git history takes 1980-01-01,
# the earliest time a zip entry can hold.
set(SORVAN_EARLIEST_ZIP_TIME 315532800)
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(SORVAN_SOURCE_DATE_EPOCH "$ENV{SOURCE_DATE_EPOCH}")
else()
  execute_process(COMMAND git -C "${PROJECT_SOURCE_DIR}" log -1 --format=%ct
                  OUTPUT_VARIABLE SORVAN_SOURCE_DATE_EPOCH RESULT_VARIABLE git_status
                  OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(NOT git_status EQUAL 0 OR SORVAN_SOURCE_DATE_EPOCH STREQUAL "")
    set(SORVAN_SOURCE_DATE_EPOCH ${SORVAN_EARLIEST_ZIP_TIME})
  endif()
endif()
if(NOT SORVAN_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$" OR SORVAN_SOURCE_DATE_EPOCH LESS SORVAN_EARLIEST_ZIP_TIME)
  message(FATAL_ERROR "SOURCE_DATE_EPOCH must be seconds since 1970, from 1980 on (a zip holds no "
                      "earlier time), not '${SORVAN_SOURCE_DATE_EPOCH}'")
endif()
# string(TIMESTAMP) reads it from the environment.
set(ENV{SOURCE_DATE_EPOCH} ${SORVAN_SOURCE_DATE_EPOCH})
string(TIMESTAMP SORVAN_RELEASE_DATE "%Y-%m-%d" UTC)

# The linker reads it at link time; a file that changes with it relinks the
# programs whose PE header carries it (packaging/version_stamp.cmake).
set(SORVAN_EPOCH_FILE ${CMAKE_BINARY_DIR}/source_date_epoch)
file(CONFIGURE OUTPUT ${SORVAN_EPOCH_FILE} CONTENT "${SORVAN_SOURCE_DATE_EPOCH}\n")
set_property(GLOBAL PROPERTY RULE_LAUNCH_LINK
             "${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${SORVAN_SOURCE_DATE_EPOCH}")

# No build path in the programs: two checkouts in two folders build alike.
add_compile_options(-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=)
