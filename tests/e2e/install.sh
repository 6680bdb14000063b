#!/usr/bin/env bash
# `cmake --install` into an empty prefix: exactly the expected files, a desktop entry and AppStream
# metadata that validate and name what was installed, and an installed program that, started from
# another folder, loads the picker library from its own lib/corvella folder and nowhere else.
# Usage: install.sh <corvella> <xprobe> <build dir>
source "$(dirname "$0")/xvfb.sh"
XPROBE=$(realpath "$2")
BUILD_DIR=$(realpath "$3")

new_temp_dir PREFIX
install_corvella "$BUILD_DIR" "$PREFIX"
PREFIX=$(realpath "$PREFIX") # the program reports the library's canonical path
DESKTOP_FILE=$PREFIX/share/applications/example.quenlot.Corvella.desktop
METAINFO_FILE=$PREFIX/share/metainfo/example.quenlot.Corvella.metainfo.xml

check_file_list() {
    local actual
    actual=$(cd "$PREFIX" && find . \( -type f -o -type l \) -printf '%P\n' | LC_ALL=C sort)
    [[ $actual == "$(installed_files | LC_ALL=C sort)" ]] ||
        fail "installed files differ from the expected list:"$'\n'"$(diff <(installed_files | LC_ALL=C sort) \
            <(echo "$actual") || true)"
    [[ -x $PREFIX/bin/corvella ]] || fail "bin/corvella is not executable"
    echo "ok: cmake --install laid out exactly the $(installed_files | wc -l) expected files"
}

check_metadata() {
    local output exec_line program icon size
    output=$(desktop-file-validate "$DESKTOP_FILE" 2>&1) || fail "desktop-file-validate: $output"
    output=$(appstreamcli validate --no-net "$METAINFO_FILE" 2>&1) ||
        fail "appstreamcli validate: $output"

    exec_line=$(desktop_entry_value "$DESKTOP_FILE" Exec)
    program=${exec_line%% *}
    [[ $program == corvella ]] || fail "the desktop entry runs '$program', not the installed corvella"
    [[ -x $PREFIX/bin/$program ]] || fail "Exec=$exec_line names no installed program"
    icon=$(desktop_entry_value "$DESKTOP_FILE" Icon)
    for size in 32 48 64 128 256; do
        [[ -f $PREFIX/share/icons/hicolor/${size}x${size}/apps/$icon.png ]] ||
            fail "Icon=$icon has no installed ${size}x${size} picture"
    done
    grep -qF "<launchable type=\"desktop-id\">$(basename "$DESKTOP_FILE")</launchable>" "$METAINFO_FILE" ||
        fail "the AppStream metadata does not launch $(basename "$DESKTOP_FILE")"
    grep -qF "<binary>$program</binary>" "$METAINFO_FILE" ||
        fail "the AppStream metadata does not provide the binary $program"
    echo "ok: desktop entry and AppStream metadata validate; Exec=$exec_line, Icon=$icon are installed"
}

# Libraries named libcolorPicker.so in the current folder and on LD_LIBRARY_PATH are decoys: only
# <prefix>/lib/corvella/libcolorPicker.so may be loaded.
start_installed_program() {
    new_temp_dir WORK_DIR
    cp "$PREFIX/lib/corvella/libcolorPicker.so" "$WORK_DIR/"
    start_xvfb
    cd "$WORK_DIR"
    start_corvella env LD_LIBRARY_PATH="$WORK_DIR" "$PREFIX/bin/corvella"
    wait_for_output "6496C8" pixel_at 119 119
    echo "ok: the installed program shows its window, started from $WORK_DIR"
}

mapped_pickers() {
    awk '$6 ~ /libcolorPicker/ {print $6}' "/proc/$CORVELLA_PID/maps" | sort -u
}

check_picker_library() {
    local overlay
    xdotool mousemove --window "$CORVELLA_WINDOW" 12 258 click 1
    overlay=$(wait_for_window '^Pick a color$')
    local expected=$PREFIX/lib/corvella/libcolorPicker.so
    [[ $(mapped_pickers) == "$expected" ]] ||
        fail "mapped picker libraries: '$(mapped_pickers)', expected only $expected"
    echo "ok: the eyedropper loaded $expected and no other copy"

    press_keys "$overlay" Escape
    wait_for_no_window '^Pick a color$'
    local message
    message=$(wait_for_window '^Corvella$')
    press_keys "$message" Return
    wait_for_no_window '^Corvella$'
    echo "ok: Escape cancelled the pick; Return closed the \"No color picked.\" box"
}

check_exit() {
    "$XPROBE" close "$CORVELLA_WINDOW"
    wait_for_exit "$CORVELLA_PID" || fail "still running 30 s after the close request"
    [[ $EXIT_STATUS == 0 ]] || fail "exit status $EXIT_STATUS"
    echo "ok: exit status 0 after the close request"
}

check_file_list
check_metadata
start_installed_program
check_picker_library
check_exit
echo "PASS: installed layout, metadata and picker library"
