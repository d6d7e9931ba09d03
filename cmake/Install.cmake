# `cmake --install`: headers, libraries, modules, programs, support data, a CMake package and
# pkg-config files under one prefix; every installed path is relative to it, so the tree may move.
include(CMakePackageConfigHelpers)

set(SL_PACKAGE StocklibDb)
set(SL_CMAKE_DIR lib/cmake/${SL_PACKAGE})
set(SL_PLATFORM_LIBS odsdk ut stocklib dbprops propfw)

# Modules live beside the libraries: the dynamic loader finds stocklib_db.tx there for the modules
# that link it, and a host adds that folder to the module manager's search path.
install(TARGETS ${SL_PLATFORM_LIBS} stocklib_db EXPORT ${SL_PACKAGE}Targets
        LIBRARY DESTINATION lib)
# The tools' own libraries: the commands module and the IFC exchange behind stocklib-tool.
install(TARGETS sldb_commands stocklib_ifc LIBRARY DESTINATION lib)
install(TARGETS sldb_installed stocklib-tool RUNTIME DESTINATION bin)

# One folder of their own, so generic names such as OdString.h cannot clash in a shared prefix.
set(SL_INCLUDE_DIR include/stocklib_db)
install(DIRECTORY include/sl_db DESTINATION ${SL_INCLUDE_DIR})
foreach(lib sdk ut stocklib dbprops propfw)
  install(DIRECTORY platform/${lib}/include/ DESTINATION ${SL_INCLUDE_DIR})
endforeach()
install(DIRECTORY ${SL_SUPPORT_DIR}/ DESTINATION share/stocklib_db/Support
        PATTERN "*.tmp" EXCLUDE)

install(EXPORT ${SL_PACKAGE}Targets NAMESPACE ${SL_PACKAGE}:: DESTINATION ${SL_CMAKE_DIR})
set(SL_MODULE_DIR lib)
set(SL_ROAMING_DIR share/stocklib_db)
configure_package_config_file(cmake/${SL_PACKAGE}Config.cmake.in
                              ${CMAKE_CURRENT_BINARY_DIR}/${SL_PACKAGE}Config.cmake
                              INSTALL_DESTINATION ${SL_CMAKE_DIR}
                              PATH_VARS SL_MODULE_DIR SL_ROAMING_DIR)
# 0.x: a new minor version may change the API.
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/${SL_PACKAGE}ConfigVersion.cmake
                                 COMPATIBILITY SameMinorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${SL_PACKAGE}Config.cmake
              ${CMAKE_CURRENT_BINARY_DIR}/${SL_PACKAGE}ConfigVersion.cmake
        DESTINATION ${SL_CMAKE_DIR})

# sl_pkg_config(NAME DESCRIPTION REQUIRES LIBS): one pkg-config file, relative to its own folder.
function(sl_pkg_config name description requires libs)
  set(PC_NAME ${name})
  set(PC_DESCRIPTION ${description})
  set(PC_REQUIRES ${requires})
  set(PC_LIBS ${libs})
  configure_file(cmake/stocklib_db.pc.in ${CMAKE_CURRENT_BINARY_DIR}/pkgconfig/${name}.pc @ONLY)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/pkgconfig/${name}.pc DESTINATION lib/pkgconfig)
endfunction()

sl_pkg_config(stocklib_db-odsdk "Drawing SDK: strings, runtime classes, drawings, modules" ""
              "-L\${libdir} -Wl,-rpath,\${libdir} -lodsdk")
sl_pkg_config(stocklib_db-ut "Utility library: file names, UUIDs, natural sort"
              "stocklib_db-odsdk" "-L\${libdir} -Wl,-rpath,\${libdir} -lut")
sl_pkg_config(stocklib_db-stocklib "Library store over SQLite" "stocklib_db-odsdk stocklib_db-ut"
              "-L\${libdir} -Wl,-rpath,\${libdir} -lstocklib")
sl_pkg_config(stocklib_db-dbprops "Typed property values on drawing objects" "stocklib_db-odsdk"
              "-L\${libdir} -Wl,-rpath,\${libdir} -ldbprops")
sl_pkg_config(stocklib_db-propfw "Property palette framework" "stocklib_db-odsdk stocklib_db-ut"
              "-L\${libdir} -Wl,-rpath,\${libdir} -lpropfw")
# The module has no `lib` prefix: it is linked by its path.
sl_pkg_config(stocklib_db "Building-information libraries bound to drawings"
              "stocklib_db-odsdk stocklib_db-ut stocklib_db-stocklib stocklib_db-propfw"
              "-Wl,-rpath,\${libdir} \${libdir}/stocklib_db.tx")
