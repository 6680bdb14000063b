# A Debian package of what `cmake --install` lays out, built by `make package` (cpack -G DEB).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME corvella)
set(CPACK_PACKAGE_VENDOR "Quenlot Ltd.")
set(CPACK_PACKAGE_CONTACT "Corvella developers <dev@corvella.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "palette proposals around one seed color")
set(CPACK_PACKAGE_DESCRIPTION
    "Corvella proposes eight colors around one seed color, drawn at random in CIE L*a*b* within a
lightness and chroma spread and kept inside the sRGB gamut. A click copies a color's hex value; a
double-click makes a proposal the seed; an eyedropper picks the seed from the screen.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
# Run-time libraries as dpkg-shlibdeps finds them; xdg-open opens the maker's page.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
# The package is made from a finished build (make package builds first): cpack never rebuilds.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
include(CPack)
