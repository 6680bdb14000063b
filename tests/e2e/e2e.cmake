# End-to-end tests: the real program under a private Xvfb, driven with xdotool and xclip; the installed
# layout and the Debian package.
find_package(X11 REQUIRED)
find_package(Qt6 6.4 REQUIRED COMPONENTS Gui)

add_executable(xprobe e2e/xprobe.cpp)
target_link_libraries(xprobe PRIVATE Qt6::Gui X11::xcb corvella_build_flags)

# Each script runs as: bash <script> <corvella> <xprobe> <build dir>.
function(corvella_add_e2e_test name script)
    cmake_parse_arguments(ARG "" "TIMEOUT" "" ${ARGN})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 120)
    endif()
    add_test(NAME ${name}
        COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/e2e/${script} $<TARGET_FILE:corvella> $<TARGET_FILE:xprobe>
                ${CMAKE_BINARY_DIR})
    set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT} LABELS e2e)
endfunction()

corvella_add_e2e_test(e2e_window window.sh)

# Installing and packaging read the build tree and write its install_manifest.txt: one at a time.
# Generous time limits: in a sanitized build the program starts and exits slowly.
corvella_add_e2e_test(e2e_install install.sh TIMEOUT 300)
corvella_add_e2e_test(e2e_package package.sh TIMEOUT 300)
corvella_add_e2e_test(e2e_session session.sh TIMEOUT 300)
set_tests_properties(e2e_install e2e_package e2e_session PROPERTIES RESOURCE_LOCK corvella_build_tree)
