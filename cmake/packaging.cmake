# The Debian package, built with `cpack -G DEB` from the build folder. Its dependencies are
# the packages of the shared libraries the programs link (Qt 6, the C++ runtime), as
# dpkg-shlibdeps finds them, so that apt installs everything the programs need.
set(DEMAGORA_PACKAGE_MAINTAINER "Demagora developers <demagora@localhost>"
    CACHE STRING "The Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME demagora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Demagora developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "simulator of the stepwise thermal demagnetization of rock samples")
set(CPACK_PACKAGE_DESCRIPTION
    "Demagora simulates the stepwise thermal demagnetization of a rock sample\n\
whose remanence is the sum of several magnetization components, each with a\n\
direction, a Gauss or rectangular blocking-temperature spectrum and,\n\
optionally, a Fisher-distributed population of simulated specimens. It shows\n\
the result table, the orthogonal vector diagram, the blocking spectra and\n\
stereograms, and exports the table as a worksheet. demagora-batch runs the\n\
same simulation from a scenario file without a window.")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${DEMAGORA_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

include(CPack)
