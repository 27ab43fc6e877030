# Windows tests run under Wine in a private network lab (tests/netlab/wine-lab)
# with the Linux kovr-sim as their devices. Each test gets a lab and a copy of
# one template Wine prefix per build folder, which a fixture test makes once.
include_guard(GLOBAL)

set(KOVR_HOST_SIM ${PROJECT_SOURCE_DIR}/build/default/tools/kovr-sim/kovr-sim
    CACHE FILEPATH "The Linux kovr-sim that plays the devices of the Windows tests (from the default preset's build)")
# Internal cache entries, so that kovr_add_wine_test works in every folder.
set(KOVR_WINE_LAB ${PROJECT_SOURCE_DIR}/tests/netlab/wine-lab CACHE INTERNAL "")
set(KOVR_WINE_ISOLATED ${PROJECT_SOURCE_DIR}/tests/netlab/isolated CACHE INTERNAL "")
set(KOVR_WINE_TEMPLATE ${PROJECT_BINARY_DIR}/wine-template CACHE INTERNAL "")
set(KOVR_WINE_WORKDIR ${PROJECT_BINARY_DIR}/wine-lab CACHE INTERNAL "")
# What a test may take beyond its command's own limit: the lab's teardown.
set(KOVR_WINE_TEARDOWN_SECONDS 15 CACHE INTERNAL "")

add_test(NAME wine_prefix COMMAND ${KOVR_WINE_ISOLATED} ${KOVR_WINE_LAB} prepare-prefix ${KOVR_WINE_TEMPLATE})
set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine_prefix LABELS wine TIMEOUT 180)

# kovr_add_wine_test(NAME name COMMAND target-or-script [ARG...] [DEVICES config.json]
#                    [SIM_ARGS arg...] [HOST_ADDRESSES n] [XVFB] [DPI n] [TIMEOUT s]
#                    [LABELS label...])
# A CTest test that runs the command in the lab's host namespace: an
# executable target (by name or as $<TARGET_FILE:...>) runs as `wine FILE`,
# anything else (a script that calls wine itself) as it is. With DEVICES,
# kovr-sim plays the devices of that file, given SIM_ARGS too. TIMEOUT (120
# by default) bounds the whole test; the command gets that less the
# teardown's time, so that a hung one still leaves nothing behind.
# HOST_ADDRESSES gives the lab's host interface that many more addresses.
# XVFB gives the lab an X display of its own, for windows to be seen; DPI
# sets the prefix's DPI.
function(kovr_add_wine_test)
    cmake_parse_arguments(ARG "XVFB" "NAME;DEVICES;TIMEOUT;HOST_ADDRESSES;DPI" "COMMAND;SIM_ARGS;LABELS" ${ARGN})
    if(NOT ARG_NAME OR NOT ARG_COMMAND)
        message(FATAL_ERROR "kovr_add_wine_test: NAME and COMMAND are required")
    endif()
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 120)
    endif()
    math(EXPR command_timeout "${ARG_TIMEOUT} - ${KOVR_WINE_TEARDOWN_SECONDS}")
    if(command_timeout LESS 10)
        message(FATAL_ERROR "kovr_add_wine_test(${ARG_NAME}): TIMEOUT must be at least "
            "${KOVR_WINE_TEARDOWN_SECONDS} + 10 seconds")
    endif()

    list(POP_FRONT ARG_COMMAND program)
    if(TARGET ${program})
        set(program wine $<TARGET_FILE:${program}>)
    elseif(program MATCHES "^\\$<TARGET_FILE:")
        set(program wine ${program})
    endif()

    set(lab_options --template ${KOVR_WINE_TEMPLATE} --workdir ${KOVR_WINE_WORKDIR} --timeout ${command_timeout})
    if(ARG_HOST_ADDRESSES)
        list(APPEND lab_options --host-addresses ${ARG_HOST_ADDRESSES})
    endif()
    if(ARG_XVFB)
        list(APPEND lab_options --xvfb)
    endif()
    if(ARG_DPI)
        list(APPEND lab_options --dpi ${ARG_DPI})
    endif()
    if(ARG_DEVICES)
        list(APPEND lab_options --devices ${ARG_DEVICES} --sim ${KOVR_HOST_SIM})
        foreach(sim_arg IN LISTS ARG_SIM_ARGS)
            list(APPEND lab_options --sim-arg ${sim_arg})
        endforeach()
    elseif(ARG_SIM_ARGS)
        message(FATAL_ERROR "kovr_add_wine_test(${ARG_NAME}): SIM_ARGS without DEVICES")
    endif()

    add_test(NAME ${ARG_NAME}
        COMMAND ${KOVR_WINE_ISOLATED} ${KOVR_WINE_LAB} run ${lab_options} -- ${program} ${ARG_COMMAND})
    set_tests_properties(${ARG_NAME} PROPERTIES
        FIXTURES_REQUIRED wine_prefix
        LABELS "wine;${ARG_LABELS}"
        TIMEOUT ${ARG_TIMEOUT})
endfunction()

# The harness's own safety check: a Windows program in the lab sees only the
# lab's addresses, and what it sends reaches the devices from the lab's host.
add_executable(wine_lab_probe ${PROJECT_SOURCE_DIR}/tests/netlab/wine_lab_probe.c)
target_link_libraries(wine_lab_probe PRIVATE iphlpapi ws2_32)
kovr_add_wine_test(NAME wine_lab_self_test
    COMMAND ${PROJECT_SOURCE_DIR}/tests/netlab/wine-lab-selftest $<TARGET_FILE:wine_lab_probe>
    DEVICES ${PROJECT_SOURCE_DIR}/tools/kovr-sim/examples/demo.json
    SIM_ARGS --log -
    TIMEOUT 60)
