# Warnings are errors only where the build asks for it (the test command does): a packager's or
# user's newer compiler must never fail a release build on a warning it has learnt since.
option(VELOMAR_WERROR "Treat warnings in our own code as errors" OFF)

# House settings for every target of our own: strict warnings, errors where asked.
function(velomar_target target)
    target_compile_options(${target} PRIVATE -Wall -Wextra)
    if(VELOMAR_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
        if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
            # GCC 12 reports false positives in optimised builds: on std::array copies, and
            # -Wrestrict inside the standard library's std::string concatenation. They stay
            # warnings.
            target_compile_options(${target} PRIVATE
                -Wno-error=array-bounds -Wno-error=stringop-overflow -Wno-error=restrict)
        endif()
    endif()
endfunction()

# A test executable registered with CTest; GUI tests run on the offscreen platform.
# MEDIUM_FAULTS preloads the fault injector of tests/support (tests/support/fault_injection.h).
function(velomar_test name)
    cmake_parse_arguments(ARG "MEDIUM_FAULTS" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    velomar_target(${name})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} Qt6::Test)
    add_test(NAME ${name} COMMAND ${name})
    # Each test keeps its data folder (the copies of replaced card files) to itself.
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "XDG_DATA_HOME=${CMAKE_CURRENT_BINARY_DIR}/${name}-data;QT_QPA_PLATFORM=offscreen;ASAN_OPTIONS=detect_leaks=1:abort_on_error=1;UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1"
        TIMEOUT 300)
    if(ARG_MEDIUM_FAULTS)
        add_dependencies(${name} velomar_fault_injector)
        set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT
            "LD_PRELOAD=$<TARGET_FILE:velomar_fault_injector>")
    endif()
endfunction()
