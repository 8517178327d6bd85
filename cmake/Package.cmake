# What `cmake --install` lays out, by component, and the release archive.
#
#   module  PREFIX/rigDials/: rigDials.mod, plug-ins/, scripts/, icons/ (the
#           folder to put on MAYA_MODULE_PATH)
#   docs    PREFIX/INSTALL.md (the README's install section), LICENSE, docs/
#   devkit  the stand-in host shaped as the host's devkit: include/maya/,
#           lib/ with libOpenMaya.so and its siblings, bin/rigdials (stand-in
#           builds only)
#
# `cpack` packs module and docs as rigDials-VERSION-PLATFORM.tar.gz (.zip on
# Windows), PLATFORM named as the host's module files name it.
if(WIN32)
  set(RIGDIALS_PLATFORM win64)
elseif(APPLE)
  set(RIGDIALS_PLATFORM mac)
else()
  set(RIGDIALS_PLATFORM linux)
endif()

set(module_dir rigDials)
configure_file(${CMAKE_SOURCE_DIR}/module/rigDials.mod.in ${CMAKE_BINARY_DIR}/module/rigDials.mod @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/module/rigDials.mod DESTINATION ${module_dir} COMPONENT module)
install(TARGETS rigDials
        LIBRARY DESTINATION ${module_dir}/plug-ins COMPONENT module
        RUNTIME DESTINATION ${module_dir}/plug-ins COMPONENT module)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/module/scripts/ DESTINATION ${module_dir}/scripts COMPONENT module
        FILES_MATCHING PATTERN "*.mel")
install(DIRECTORY ${CMAKE_SOURCE_DIR}/module/icons/ DESTINATION ${module_dir}/icons COMPONENT module
        FILES_MATCHING PATTERN "*.png")

# The README's "Install in the host" section, on its own for the archive.
file(READ ${CMAKE_SOURCE_DIR}/README.md readme)
string(FIND "${readme}" "\n## Install in the host" start)
if(start EQUAL -1)
  message(FATAL_ERROR "README.md has no \"## Install in the host\" section for the release archive")
endif()
math(EXPR start "${start} + 1")
string(SUBSTRING "${readme}" ${start} -1 section)
string(FIND "${section}" "\n## " end)
if(NOT end EQUAL -1)
  string(SUBSTRING "${section}" 0 ${end} section)
endif()
string(REGEX REPLACE "\n+$" "\n" section "${section}")
file(WRITE ${CMAKE_BINARY_DIR}/module/INSTALL.md
     "# rigDials ${PROJECT_VERSION}\n\nFrom the README; docs/install.md has every platform's details.\n\n${section}")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/README.md)
install(FILES ${CMAKE_BINARY_DIR}/module/INSTALL.md ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION . COMPONENT docs)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/docs/ DESTINATION docs COMPONENT docs)

if(TARGET rdhost)
  # The stand-in as a devkit: its headers, its library under each of the
  # host's library names, and the program, which finds the library beside it
  # and no plug-in next to itself, so plug-ins come from modules and paths.
  install(DIRECTORY ${CMAKE_SOURCE_DIR}/host/include/maya DESTINATION include COMPONENT devkit)
  set_target_properties(rdhost PROPERTIES INSTALL_RPATH "$ORIGIN")
  set_target_properties(rigdials PROPERTIES INSTALL_RPATH "$ORIGIN/../lib")
  install(TARGETS rdhost LIBRARY DESTINATION lib COMPONENT devkit)
  install(TARGETS rigdials RUNTIME DESTINATION bin COMPONENT devkit)
  install(CODE "
    foreach(lib OpenMaya OpenMayaUI OpenMayaRender Foundation)
      set(link \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/lib/lib\${lib}.so\")
      file(REMOVE \"\${link}\")
      file(CREATE_LINK librdhost.so \"\${link}\" SYMBOLIC)
      message(STATUS \"Installing: \${link} -> librdhost.so\")
    endforeach()" COMPONENT devkit)
endif()

set(CPACK_PACKAGE_NAME rigDials)
set(CPACK_PACKAGE_VENDOR "rigDials developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME rigDials-${PROJECT_VERSION}-${RIGDIALS_PLATFORM})
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
else()
  set(CPACK_GENERATOR TGZ)
endif()
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};rigDials;module;/;${CMAKE_BINARY_DIR};rigDials;docs;/")
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/package)
include(CPack)
