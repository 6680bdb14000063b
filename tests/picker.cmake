# Tests of the colorPicker library: the screen overlay offscreen, and the desktop portal on a private bus.

# The overlay, the loupe and PickColor end to end. Besides the plain 800 x 800 offscreen screen, the same
# tests run on a screen scaled by 2 and on two screens side by side; tests that need one of those
# set-ups skip elsewhere.
corvella_add_test(tst_picker SOURCES tst_picker.cpp LIBRARIES colorPicker_impl TIMEOUT 120)

set(CORVELLA_TWO_SCREENS ${CMAKE_CURRENT_BINARY_DIR}/twoScreens.json)
file(WRITE ${CORVELLA_TWO_SCREENS} [=[
{
    "windowFrameMargins": false,
    "screens": [
        {"name": "left", "x": 0, "y": 0, "width": 800, "height": 600},
        {"name": "right", "x": 800, "y": 0, "width": 640, "height": 480}
    ]
}
]=])
add_test(NAME tst_picker_hidpi COMMAND tst_picker)
set_tests_properties(tst_picker_hidpi PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_SCALE_FACTOR=2"
    TIMEOUT 120)
add_test(NAME tst_picker_twoscreens COMMAND tst_picker)
set_tests_properties(tst_picker_twoscreens PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen:configfile=${CORVELLA_TWO_SCREENS}"
    TIMEOUT 120)

# The stand-in portal the portal tests start on their private bus (dbus-daemon, Debian package dbus).
add_executable(portalDouble portalDouble.cpp)
target_link_libraries(portalDouble PRIVATE Qt6::DBus corvella_build_flags)

corvella_add_test(tst_portal SOURCES tst_portal.cpp LIBRARIES colorPicker_impl TIMEOUT 120)
target_compile_definitions(tst_portal PRIVATE PORTAL_DOUBLE_PATH="$<TARGET_FILE:portalDouble>")
add_dependencies(tst_portal portalDouble)
