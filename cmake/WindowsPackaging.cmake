# The Windows downloads: glimtap-<version>-win64.zip to unpack anywhere, and an installer
# (made by makensis on the build machine) with Start menu entries, an uninstaller and an
# entry in Add/Remove Programs.
find_program(GLIMTAP_MAKENSIS makensis REQUIRED)
set(package_name glimtap-${PROJECT_VERSION}-win64)
set(stage ${CMAKE_BINARY_DIR}/${package_name})
add_custom_target(windows-package
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${stage} ${package_name}.zip
  COMMAND ${CMAKE_COMMAND} -E make_directory ${stage}
  COMMAND ${CMAKE_STRIP} -o ${stage}/glimtap-cli.exe $<TARGET_FILE:glimtap-cli>
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/res/manual.html ${stage}
  COMMAND ${CMAKE_COMMAND} -E tar cf ${package_name}.zip --format=zip ${package_name}
  COMMAND ${GLIMTAP_MAKENSIS} -V2 -DVERSION=${PROJECT_VERSION} -DSTAGE=${stage}
          -DOUTFILE=${CMAKE_BINARY_DIR}/${package_name}-setup.exe
          ${PROJECT_SOURCE_DIR}/res/windows/glimtap.nsi
  DEPENDS glimtap-cli
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
  VERBATIM)
