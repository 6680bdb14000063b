# End-to-end tests: the real program under a private Xvfb, driven with xdotool and xclip.
find_package(X11 REQUIRED)
find_package(Qt6 6.4 REQUIRED COMPONENTS Gui)

add_executable(xprobe e2e/xprobe.cpp)
target_link_libraries(xprobe PRIVATE Qt6::Gui X11::xcb corvella_build_flags)

function(corvella_add_e2e_test name script)
    add_test(NAME ${name}
        COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/e2e/${script} $<TARGET_FILE:corvella> $<TARGET_FILE:xprobe>)
    set_tests_properties(${name} PROPERTIES TIMEOUT 120 LABELS e2e)
endfunction()

corvella_add_e2e_test(e2e_window window.sh)
corvella_add_e2e_test(e2e_clipboard clipboard.sh)
