# Header-only libraries for a cross build. Their headers are the same for every target, but
# adding the host's /usr/include to a cross compile would bring glibc's headers with them. So
# each library's own include folder and CMake package files are linked into a private root
# under the build folder that find_package searches, and nothing else of /usr comes along.
#   velomar_offer_host_header_library(PACKAGE INCLUDE_ENTRY)
# makes find_package(PACKAGE) work, with /usr/include/INCLUDE_ENTRY as its only header folder.
set(VELOMAR_HOST_HEADER_ROOT ${CMAKE_BINARY_DIR}/host-header-libraries)
list(APPEND CMAKE_FIND_ROOT_PATH ${VELOMAR_HOST_HEADER_ROOT})

function(velomar_offer_host_header_library package include_entry)
    set(config_dir /usr/share/cmake/${package})
    set(headers /usr/include/${include_entry})
    # A library that is not installed is left to find_package to report.
    if(NOT EXISTS ${config_dir} OR NOT EXISTS ${headers})
        return()
    endif()
    # The package files find their headers relative to themselves (PREFIX/share/cmake/NAME
    # -> PREFIX/include), so the links keep /usr's layout.
    file(MAKE_DIRECTORY ${VELOMAR_HOST_HEADER_ROOT}/usr/share/cmake
                        ${VELOMAR_HOST_HEADER_ROOT}/usr/include)
    file(CREATE_LINK ${config_dir} ${VELOMAR_HOST_HEADER_ROOT}/usr/share/cmake/${package}
         SYMBOLIC)
    file(CREATE_LINK ${headers} ${VELOMAR_HOST_HEADER_ROOT}/usr/include/${include_entry}
         SYMBOLIC)
endfunction()

velomar_offer_host_header_library(nlohmann_json nlohmann)
velomar_offer_host_header_library(CLI11 CLI)
