# The Debian package, made by CPack from the build tree as it is (scripts/package.sh):
# the programs are not built a second time.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${TILLORA_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Tillora Auto Backup developers <dev@tillora.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "nightly backup of a store's point-of-sale data")
# The long description; CPack puts the summary above it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "tillora-backup sits in the notification area of a store's back-office computer
running the Tillora point-of-sale product. Every night it copies the data of
the point-of-sale, time-clock, rewards and gift-card products to a USB or
network drive, and every hour it can text the owner the day's sales.
.
tillora-kp2 switches a second kitchen printer on and off by a weekly schedule.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# The libraries come from dpkg-shlibdeps; what it cannot see is named here: the window
# system plugins Qt loads at run time, the SVG icon plugin, and the certificates the
# mail connection checks against. restic carries the off-site copies.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6svg6, ca-certificates")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "restic")

include(CPack)
