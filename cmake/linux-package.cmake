# The Linux release: a .deb made by CPack (cd build/linux && cpack -G DEB gives
# brellix_<version>-<release>_amd64.deb) as a distribution would take it: the program, its desktop
# entry and software centre entry, icons for every size of the icon theme, manual pages in English
# and Chinese, the machine-readable copyright and the Debian changelog.
# scripts/check-package.sh runs the distribution's checkers on it.
# Included from the top CMakeLists.txt only when the Qt backend's brellix target exists.
set(BRELLIX_MAINTAINER "Brellix Developers <developers@brellix.example.org>" CACHE STRING
  "The package's maintainer: a name and a mail address")
set(BRELLIX_REPOSITORY_URL "${BRELLIX_MAKER_URL}/git/brellix" CACHE STRING
  "The public source repository's web address: the software centre's source link and screenshot")
# The package's own revision: a Debian revision makes its changelog changelog.Debian.gz.
set(BRELLIX_DEB_RELEASE 1)
set(BRELLIX_DEB_VERSION "${PROJECT_VERSION}-${BRELLIX_DEB_RELEASE}")

set(linux_res ${CMAKE_SOURCE_DIR}/res/linux)
set(package_dir ${CMAKE_BINARY_DIR}/package)
set(VERSION ${PROJECT_VERSION})
configure_file(${linux_res}/org.example.brellix.metainfo.xml.in ${package_dir}/org.example.brellix.metainfo.xml @ONLY)
configure_file(${linux_res}/man/brellix.1 ${package_dir}/man/en/brellix.1 @ONLY)
configure_file(${linux_res}/man/brellix.zh_CN.1 ${package_dir}/man/zh_CN/brellix.1 @ONLY)
configure_file(${linux_res}/changelog.Debian.in ${package_dir}/changelog.Debian @ONLY)

# Compressed as Debian wants them: best compression, no name or time stamp in the header.
set(compressed)
foreach(file man/en/brellix.1 man/zh_CN/brellix.1 changelog.Debian)
  add_custom_command(OUTPUT ${package_dir}/${file}.gz
    COMMAND gzip -9 -n -c ${package_dir}/${file} > ${package_dir}/${file}.gz
    DEPENDS ${package_dir}/${file} VERBATIM)
  list(APPEND compressed ${package_dir}/${file}.gz)
endforeach()
add_custom_target(brellix_package_files ALL DEPENDS ${compressed})

set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
install(TARGETS brellix RUNTIME DESTINATION bin)
install(FILES ${linux_res}/brellix.desktop DESTINATION share/applications)
install(FILES ${package_dir}/org.example.brellix.metainfo.xml DESTINATION share/metainfo)
foreach(size 16 24 32 48 64 128 256)
  install(FILES ${linux_res}/brellix-${size}.png
    DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME brellix.png)
endforeach()
install(FILES ${linux_res}/brellix.svg DESTINATION share/icons/hicolor/scalable/apps)
install(FILES ${package_dir}/man/en/brellix.1.gz DESTINATION share/man/man1)
install(FILES ${package_dir}/man/zh_CN/brellix.1.gz DESTINATION share/man/zh_CN/man1)
install(FILES ${linux_res}/copyright ${package_dir}/changelog.Debian.gz DESTINATION share/doc/brellix)
install(FILES ${linux_res}/lintian-overrides DESTINATION share/lintian/overrides RENAME brellix)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME brellix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "${BRELLIX_CREDIT_NAME}")
set(CPACK_PACKAGE_CONTACT "${BRELLIX_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${BRELLIX_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_RELEASE ${BRELLIX_DEB_RELEASE})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "end the session at a chosen time of day")
set(CPACK_PACKAGE_DESCRIPTION "A small window that stays on top: pick a time of day and an action (shut\ndown, power off, restart or log off), press 运行 (Run), and at that second\nthe session ends through logind. Started with a keyword (poweroff, reboot,\nshutdown, logoff) it does that at once.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${BRELLIX_MAKER_URL}")
# The Qt libraries come from dpkg-shlibdeps; the xcb platform plugin is loaded at run time, the
# Chinese captions need a CJK font, and logind is reached over the system bus.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-wqy-microhei | fonts-noto-cjk, dbus")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "systemd | elogind")
include(CPack)
