#!/usr/bin/env bash
# The Debian package as `make package` builds it, checked with dpkg-deb without installing it: name,
# version, architecture, dependencies, the files under /usr, a stripped program, a valid desktop entry.
# Usage: package.sh <corvella> <xprobe> <build dir>
source "$(dirname "$0")/xvfb.sh"
BUILD_DIR=$(realpath "$3")

VERSION=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$BUILD_DIR/CMakeCache.txt")
[[ $VERSION =~ ^[0-9]+(\.[0-9]+)*$ ]] || fail "no project version in $BUILD_DIR/CMakeCache.txt"

build_package() {
    local log debs
    new_temp_dir OUT_DIR
    log=$(cd "$BUILD_DIR" && cpack -G DEB -B "$OUT_DIR" 2>&1) || fail "cpack failed:"$'\n'"$log"
    debs=("$OUT_DIR"/*.deb)
    [[ ${#debs[@]} == 1 && -f ${debs[0]} ]] || fail "cpack made ${debs[*]}, not one package"
    DEB=${debs[0]}
    echo "ok: cpack built $(basename "$DEB")"
}

field() {
    dpkg-deb --field "$DEB" "$1"
}

# The package names of a relationship field, one a line, without versions; alternatives count too.
package_names() {
    field "$1" | tr ',|' '\n\n' | sed 's/(.*//; s/[[:space:]]//g' | sed '/^$/d'
}

check_control() {
    [[ $(field Package) == corvella ]] || fail "package name '$(field Package)'"
    [[ $(field Version) == "$VERSION" ]] || fail "version '$(field Version)', the project is $VERSION"
    [[ $(field Architecture) == "$(dpkg --print-architecture)" ]] ||
        fail "architecture '$(field Architecture)', this machine is $(dpkg --print-architecture)"
    echo "ok: corvella $VERSION for $(field Architecture)"
}

check_relationships() {
    local depends needed
    depends=$(field Depends)
    for needed in libqt6widgets6 libqt6gui6 libqt6core6 libqt6dbus6 libc6 libstdc++6; do
        package_names Depends | grep -qxF "$needed" || fail "Depends lacks $needed: $depends"
    done
    [[ $depends != */* ]] || fail "Depends names a path: $depends"
    [[ ${depends,,} != *colorpicker* ]] || fail "Depends names the private picker library: $depends"
    package_names Recommends | grep -qxF xdg-utils || fail "Recommends lacks xdg-utils: $(field Recommends)"
    echo "ok: Depends: $depends; Recommends: $(field Recommends)"
}

check_contents() {
    local files mode
    files=$(dpkg-deb --contents "$DEB" | awk '$1 !~ /^d/ {print $6}' | LC_ALL=C sort)
    [[ $files == "$(installed_files | sed 's|^|./usr/|' | LC_ALL=C sort)" ]] ||
        fail "packaged files differ from the installed list:"$'\n'"$(diff \
            <(installed_files | sed 's|^|./usr/|' | LC_ALL=C sort) <(echo "$files") || true)"
    mode=$(dpkg-deb --contents "$DEB" | awk '$6 == "./usr/bin/corvella" {print $1}')
    [[ $mode == -rwxr-xr-x ]] || fail "usr/bin/corvella has mode $mode"
    echo "ok: the package holds exactly the $(wc -l <<<"$files") installed files under /usr"
}

# Stripped: no static symbol table and no debugging sections are left, only what the loader needs.
is_stripped() {
    ! readelf --section-headers --wide "$1" | grep -qE '[[:space:]]\.(symtab|debug_[a-z_]+)[[:space:]]'
}

check_extracted() {
    local root output exec_line icon
    new_temp_dir root
    dpkg-deb -x "$DEB" "$root"
    [[ -x $root/usr/bin/corvella ]] || fail "usr/bin/corvella is not executable once extracted"
    readelf --file-header "$root/usr/bin/corvella" | grep -qE 'Type:[[:space:]]+(EXEC|DYN)' ||
        fail "usr/bin/corvella is not an ELF program"
    is_stripped "$root/usr/bin/corvella" || fail "usr/bin/corvella is not stripped"
    is_stripped "$root/usr/lib/corvella/libcolorPicker.so" || fail "libcolorPicker.so is not stripped"
    readelf --dyn-syms --wide "$root/usr/lib/corvella/libcolorPicker.so" | grep -qw PickColor ||
        fail "the packaged libcolorPicker.so does not export PickColor"

    local desktop_file=$root/usr/share/applications/example.quenlot.Corvella.desktop
    output=$(desktop-file-validate "$desktop_file" 2>&1) || fail "desktop-file-validate: $output"
    output=$(appstreamcli validate --no-net "$root/usr/share/metainfo/example.quenlot.Corvella.metainfo.xml" \
        2>&1) || fail "appstreamcli validate: $output"
    exec_line=$(desktop_entry_value "$desktop_file" Exec)
    [[ -x $root/usr/bin/${exec_line%% *} ]] || fail "Exec=$exec_line is not in the package's /usr/bin"
    icon=$(desktop_entry_value "$desktop_file" Icon)
    [[ -f $root/usr/share/icons/hicolor/48x48/apps/$icon.png ]] || fail "Icon=$icon is not in the package"
    echo "ok: extracted, the program is executable and stripped and the desktop entry validates"
}

build_package
check_control
check_relationships
check_contents
check_extracted
echo "PASS: Debian package $(basename "$DEB")"
