# cpack -G DEB: one package with the three programs and their desktop files. The libraries'
# packages come from dpkg-shlibdeps; what is loaded as a plugin is named by hand.
set(CPACK_PACKAGE_NAME qlv)
set(CPACK_PACKAGE_VENDOR "QLV")
set(CPACK_PACKAGE_CONTACT "QLV developers <qlv@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION
    "QLV keeps the K-817T infrared learner's 512 key slots in a project file, learns codes,\n"
    "sends them, and downloads projects into the device. qlvtool does the same from the shell\n"
    "and k817t-sim simulates the device on a pseudo-terminal.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window needs a platform plugin and draws its SVG icons through the image format plugin.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6svg6")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wqy-microhei")
include(CPack)
