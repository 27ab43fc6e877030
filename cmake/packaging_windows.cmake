# The Windows distribution: `cpack -G ZIP` in the Windows build folder makes
# kovr-<version>-win64.zip with the DLL, kovr.exe and kovr-locator.exe in bin/, the MinGW import
# library and one for Visual C++ in lib/, the header, a README.txt with a
# short C example, and the licence as LICENSE.txt. Every file of it belongs to one install component, so that
# the Linux packages' install rules never reach the ZIP.
set(KOVR_ZIP_COMPONENT win64)

# Visual C++ reads an import library in its own format; dlltool makes one
# from the export list that also builds the DLL.
set(KOVR_MSVC_IMPORT_LIBRARY ${PROJECT_BINARY_DIR}/packaging/kovr.lib)
set(KOVR_EXPORTS_DEF ${PROJECT_SOURCE_DIR}/discovery/kovr.def)
add_custom_command(OUTPUT ${KOVR_MSVC_IMPORT_LIBRARY}
    COMMAND ${CMAKE_DLLTOOL} -d ${KOVR_EXPORTS_DEF} -D kovr.dll -l ${KOVR_MSVC_IMPORT_LIBRARY} -m i386:x86-64
    DEPENDS ${KOVR_EXPORTS_DEF}
    COMMENT "Making the import library for Visual C++ (kovr.lib)"
    VERBATIM)
add_custom_target(kovr_msvc_import_library ALL DEPENDS ${KOVR_MSVC_IMPORT_LIBRARY})

install(TARGETS kovr
    RUNTIME DESTINATION bin COMPONENT ${KOVR_ZIP_COMPONENT}
    ARCHIVE DESTINATION lib COMPONENT ${KOVR_ZIP_COMPONENT})
install(TARGETS kovr-cli RUNTIME DESTINATION bin COMPONENT ${KOVR_ZIP_COMPONENT})
if(KOVR_BUILD_LOCATOR)
    install(TARGETS kovr-locator RUNTIME DESTINATION bin COMPONENT ${KOVR_ZIP_COMPONENT})
endif()
install(FILES ${KOVR_MSVC_IMPORT_LIBRARY} DESTINATION lib COMPONENT ${KOVR_ZIP_COMPONENT})
install(FILES ${PROJECT_SOURCE_DIR}/include/kovr/kovr.h DESTINATION include/kovr COMPONENT ${KOVR_ZIP_COMPONENT})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/windows/README.txt DESTINATION . COMPONENT ${KOVR_ZIP_COMPONENT})
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt COMPONENT ${KOVR_ZIP_COMPONENT})

# The installer: `cmake --build --target msi` makes kovr-<version>-x64.msi
# beside the ZIP with packaging/windows/make-msi, from the ZIP's files. It
# holds the locator, so only a build with the locator has it.
if(KOVR_BUILD_LOCATOR)
    add_custom_target(msi
        COMMAND ${PROJECT_SOURCE_DIR}/packaging/windows/make-msi ${PROJECT_BINARY_DIR} ${PROJECT_VERSION}
            ${PROJECT_BINARY_DIR}/packages/kovr-${PROJECT_VERSION}-x64.msi
        COMMENT "Making the installer (packages/kovr-${PROJECT_VERSION}-x64.msi)"
        VERBATIM)
    add_dependencies(msi kovr kovr-cli kovr-locator kovr_msvc_import_library)
endif()

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME kovr)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_FILE_NAME kovr-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_STRIP_FILES ON)
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_COMPONENTS_ALL ${KOVR_ZIP_COMPONENT})
include(CPack)
