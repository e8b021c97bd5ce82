# p6k --version prints the release's version, and each Windows program
# carries a version resource that Explorer shows in the file's properties.
if(TARGET p6k)
  target_compile_definitions(p6k PRIVATE SORVAN_VERSION="${PROJECT_VERSION}")
endif()

function(add_version_resource target description)
  set(FILE_DESCRIPTION "${description}")
  set(ORIGINAL_FILENAME "${target}.exe")
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/res/version_info.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()

if(WIN32)
  add_version_resource(sorvan "${SORVAN_PRODUCT_NAME}")
  add_version_resource(p6k "${SORVAN_PRODUCT_NAME} 命令行工具 p6k")
endif()

# The PE header's time stamp is the build's SOURCE_DATE_EPOCH: another one links again.
if(WIN32)
  set_property(TARGET sorvan p6k APPEND PROPERTY LINK_DEPENDS ${SORVAN_EPOCH_FILE})
endif()
