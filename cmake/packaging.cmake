# Debian packages, one per install component, made by CPack's DEB generator
# from a build of the package preset (./dev package runs the whole chain).
#   libkovr1      the shared library
#   libkovr-dev   its header, the libkovr.so link, pkg-config and CMake files
#   kovr-tools    kovr and kovr-sim, and the units and alert rules that
#                 watch the devices through Prometheus
#   kovr-locator  the Qt locator
set(KOVR_PACKAGES libkovr1 libkovr-dev kovr-tools)
if(KOVR_BUILD_LOCATOR)
    list(APPEND KOVR_PACKAGES kovr-locator)
endif()

# The changelog's newest entry must be this version, or the packages would
# describe another release than the one they hold; whoever signed that entry
# maintains the packages.
set(KOVR_CHANGELOG ${PROJECT_SOURCE_DIR}/packaging/changelog)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${KOVR_CHANGELOG})
file(STRINGS ${KOVR_CHANGELOG} KOVR_CHANGELOG_TOP LIMIT_COUNT 1)
string(REPLACE "." "\\." KOVR_VERSION_PATTERN "${PROJECT_VERSION}")
if(NOT KOVR_CHANGELOG_TOP MATCHES "^kovr \\(${KOVR_VERSION_PATTERN}\\) ")
    message(FATAL_ERROR "packaging/changelog must begin with an entry for kovr ${PROJECT_VERSION}")
endif()
file(STRINGS ${KOVR_CHANGELOG} KOVR_CHANGELOG_SIGNATURE REGEX "^ -- " LIMIT_COUNT 1)
string(REGEX REPLACE "^ -- (.*>)  .*$" "\\1" KOVR_PACKAGE_MAINTAINER "${KOVR_CHANGELOG_SIGNATURE}")

# Every package carries the copyright file and the changelog in its doc
# folder, the changelog compressed as Debian's tools would.
set(KOVR_CHANGELOG_GZ ${PROJECT_BINARY_DIR}/packaging/changelog.gz)
file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/packaging)
execute_process(COMMAND gzip -9nc INPUT_FILE ${KOVR_CHANGELOG} OUTPUT_FILE ${KOVR_CHANGELOG_GZ}
    COMMAND_ERROR_IS_FATAL ANY)
foreach(package IN LISTS KOVR_PACKAGES)
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${KOVR_CHANGELOG_GZ}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${package})
endforeach()

# kovr-tools' service and timer that publish the devices for node_exporter's
# textfile collector, installed but not enabled, and the alert rules with
# their tests among its examples. Debian's systemd looks in /lib.
set(KOVR_MONITORING ${PROJECT_SOURCE_DIR}/packaging/monitoring)
install(FILES ${KOVR_MONITORING}/kovr-metrics.service ${KOVR_MONITORING}/kovr-metrics.timer
    DESTINATION /lib/systemd/system COMPONENT kovr-tools)
# The receive buffer limit that lets the sandboxed service take a large
# segment's replies.
install(FILES ${PROJECT_SOURCE_DIR}/packaging/kovr-tools/sysctl.conf DESTINATION /usr/lib/sysctl.d
    RENAME 30-kovr-tools.conf COMPONENT kovr-tools)
install(FILES ${KOVR_MONITORING}/kovr-alerts.yml ${KOVR_MONITORING}/kovr-alerts.test.yml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kovr-tools/examples COMPONENT kovr-tools)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kovr)
# The MIT licence, which each package's copyright file states in Debian's form.
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL ${KOVR_PACKAGES})
# Each package's description brings its own summary line; CPack would put
# the project's in front of every one of them.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${KOVR_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# dpkg-shlibdeps names the system libraries each package needs; the packages'
# dependencies on each other come from the components below, at the exact
# version, since they are built together. It looks for libkovr.so.1 where the
# build left it.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
get_target_property(KOVR_LIBRARY_DIR kovr BINARY_DIR)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${KOVR_LIBRARY_DIR})
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
# The library's package updates the loader's cache through dpkg's trigger.
# CPack also calls ldconfig from scripts of its own, which lintian warns
# about, but it has no switch to leave them out.
set(CPACK_DEBIAN_LIBKOVR1_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/packaging/libkovr1/triggers)
# kovr-tools tells systemd about its units as they come and go, and stops
# and disables the timer before its program goes.
set(CPACK_DEBIAN_KOVR-TOOLS_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/packaging/kovr-tools/postinst
    ${PROJECT_SOURCE_DIR}/packaging/kovr-tools/prerm ${PROJECT_SOURCE_DIR}/packaging/kovr-tools/postrm)

foreach(package IN LISTS KOVR_PACKAGES)
    string(TOUPPER ${package} component)
    set(CPACK_DEBIAN_${component}_PACKAGE_NAME ${package})
endforeach()
set(CPACK_DEBIAN_LIBKOVR1_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_LIBKOVR-DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_KOVR-TOOLS_PACKAGE_SECTION net)
# kovr-metrics.service writes into the node exporter's folder, but kovr
# works without it.
set(CPACK_DEBIAN_KOVR-TOOLS_PACKAGE_SUGGESTS prometheus-node-exporter)
set(CPACK_DEBIAN_KOVR-LOCATOR_PACKAGE_SECTION net)

include(CPack)

cpack_add_component(libkovr1
    DESCRIPTION "library to find and configure KOVR devices
libkovr searches the local network for KOVR devices, from every IPv4
interface, and asks them for their details, sets their network settings
and restarts them, with the device's password.
.
This package holds the shared library.")
cpack_add_component(libkovr-dev DEPENDS libkovr1
    DESCRIPTION "library to find and configure KOVR devices - development files
libkovr searches the local network for KOVR devices, from every IPv4
interface, and asks them for their details, sets their network settings
and restarts them, with the device's password.
.
This package holds the C header, the link to the shared library, a
pkg-config file (kovr) and a CMake package (find_package(kovr) gives the
target kovr::kovr).")
cpack_add_component(kovr-tools DEPENDS libkovr1
    DESCRIPTION "command-line tools to find and configure KOVR devices
kovr searches the local network for KOVR devices and lists them as a
table, JSON or CSV, shows a device's details, gives it a static address or
DHCP, and restarts it. Its exit status tells scripts what happened.
.
kovr-sim plays simulated devices, one to thousands, for tests and
demonstrations.
.
kovr-metrics.timer, when enabled, publishes the devices and their
problems about every minute for Prometheus' node exporter. Alert rules for
Prometheus come with it as an example.")
if(KOVR_BUILD_LOCATOR)
    cpack_add_component(kovr-locator DEPENDS libkovr1
        DESCRIPTION "desktop application to find and configure KOVR devices
kovr-locator lists the KOVR devices that answer a search on the local
network and, for the selected one, sets a static address or DHCP, shows
every detail the device reported, or restarts it.")
endif()
