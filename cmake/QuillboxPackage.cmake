# The Debian package, made by `cpack -G DEB` (scripts/package) from what `cmake --install` lays out.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillbox-reader)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Quillbox Reader developers")
set(CPACK_PACKAGE_CONTACT "Quillbox Reader developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "verify and decrypt secured .qsig documents")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Quillbox Reader opens secured documents (.qsig files) and gives back their plain content. "
    "It verifies each signature and shows the verdict, decrypts layers encrypted to your "
    "certificate with the private key from your personal certificate store (NSS), decrypts "
    "pass-phrase layers, saves the result and logs every outcome.\n\n"
    "This package holds the desktop program quillbox-reader and the command-line reader "
    "quillbox-cli for scripts.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Library dependencies are read from the binaries by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# certutil and pk12util put certificates and keys into the personal store.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS libnss3-tools)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
