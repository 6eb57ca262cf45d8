# Read by cpack when it makes the package, so that the maintainer is whoever runs it.
include(${CMAKE_CURRENT_LIST_DIR}/packager.cmake)
kurvilon_packager(CPACK_DEBIAN_PACKAGE_MAINTAINER)
