# The Linux release: a .deb made by CPack (cd build/linux && cpack -G DEB gives
# brellix_<version>_amd64.deb) with /usr/bin/brellix, its desktop entry and its icon.
# Included from the top CMakeLists.txt only when the Qt backend's brellix target exists.
install(TARGETS brellix RUNTIME DESTINATION bin)
install(FILES ${CMAKE_SOURCE_DIR}/res/linux/brellix.desktop DESTINATION share/applications)
foreach(size 16 32)
  install(FILES ${CMAKE_SOURCE_DIR}/res/linux/brellix-${size}.png
    DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME brellix.png)
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME brellix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "${BRELLIX_CREDIT_NAME}")
set(CPACK_PACKAGE_CONTACT "${BRELLIX_CREDIT_NAME} <${BRELLIX_MAKER_URL}>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Ends the session (shut down, power off, restart, log off) at a chosen time of day")
set(CPACK_PACKAGE_DESCRIPTION "A small window that stays on top: pick a time of day and an action, press Run,\nand at that second the session ends through logind. Also started with a keyword\n(poweroff, reboot, shutdown, logoff) it does that at once.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${BRELLIX_MAKER_URL}")
# The Qt libraries come from dpkg-shlibdeps; the xcb platform plugin is loaded at run time, the
# Chinese captions need a CJK font, and logind is reached over the system bus.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-wqy-microhei | fonts-noto-cjk, dbus")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "systemd | elogind")
include(CPack)
