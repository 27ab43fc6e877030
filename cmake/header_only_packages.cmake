# CLI11 and nlohmann-json, both header-only, from Debian's packages. A
# cross-build can't put the host's /usr/include on its include path, which
# holds the host's C library, so it takes the two libraries' folders
# through a folder of links of its own.
if(CMAKE_CROSSCOMPILING)
    set(KOVR_HOST_HEADERS ${PROJECT_BINARY_DIR}/host-headers)
    file(MAKE_DIRECTORY ${KOVR_HOST_HEADERS})
    foreach(folder CLI nlohmann)
        if(NOT EXISTS /usr/include/${folder})
            message(FATAL_ERROR "/usr/include/${folder} is missing: install libcli11-dev and nlohmann-json3-dev")
        endif()
        file(CREATE_LINK /usr/include/${folder} ${KOVR_HOST_HEADERS}/${folder} SYMBOLIC)
    endforeach()
    foreach(target CLI11::CLI11 nlohmann_json::nlohmann_json)
        add_library(${target} INTERFACE IMPORTED)
        set_target_properties(${target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${KOVR_HOST_HEADERS})
    endforeach()
else()
    find_package(CLI11 REQUIRED)
    find_package(nlohmann_json REQUIRED)
endif()
