# Installs the program like any desktop program (binary, menu entry, themed icon) and packs it as a .deb.
include(GNUInstallDirs)

set(LRC_ICON_BITMAP ${CMAKE_SOURCE_DIR}/src/app/icons/icon-main.bmp)
# The bitmap is 32 × 32; the larger sizes double its pixels, for menus and docks that show big icons.
set(LRC_ICON_SIZES 32 64 128)

qt_add_executable(xiaoyun-lrc-iconpng ${CMAKE_SOURCE_DIR}/packaging/iconpng.cpp)
target_link_libraries(xiaoyun-lrc-iconpng PRIVATE Qt6::Gui)

set(icon_files)
foreach(size IN LISTS LRC_ICON_SIZES)
  set(icon ${CMAKE_BINARY_DIR}/packaging/icons/${size}x${size}/xiaoyun-lrc.png)
  add_custom_command(OUTPUT ${icon}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging/icons/${size}x${size}
    COMMAND xiaoyun-lrc-iconpng ${LRC_ICON_BITMAP} ${icon} ${size}
    DEPENDS xiaoyun-lrc-iconpng ${LRC_ICON_BITMAP}
    COMMENT "Drawing the ${size}x${size} program icon"
    VERBATIM)
  list(APPEND icon_files ${icon})
  install(FILES ${icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(xiaoyun-lrc-icons ALL DEPENDS ${icon_files})

install(TARGETS xiaoyun-lrc RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_SOURCE_DIR}/packaging/xiaoyun-lrc.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# The LRC file's type, which the desktop entry names; dpkg's trigger updates the MIME database.
install(FILES ${CMAKE_SOURCE_DIR}/packaging/xiaoyun-lrc-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME xiaoyun-lrc.xml)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME xiaoyun-lrc)
set(CPACK_PACKAGE_VENDOR "xiaoyun-lrc")
set(CPACK_PACKAGE_CONTACT "xiaoyun-lrc maintainers <maintainers@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "LRC lyrics maker: time-tag lyric lines while an MP3 plays")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "LRC晓韵星舟 plays an MP3 in an embedded player, shows the exact position at each pause (with a\n"
  "button or the global F9 key), and turns seven-row pages of time tags and lyric lines into an\n"
  ".lrc file in code page 936 (GBK), the encoding Chinese music players expect.\n"
  "The interface is Simplified Chinese.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Written out rather than computed at packing time, so packing needs no dpkg-dev; the library
# versions are what dpkg-shlibdeps finds for the program on Debian 12 (Qt raised to the 6.4 the
# build asks for), and libmpv2, which the program opens while it runs, and the fonts are what no
# linker sees. Qt's xcb plugin is part of libqt6gui6.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "libc6 (>= 2.34), libgcc-s1 (>= 3.0), libstdc++6 (>= 5.2), libqt6core6 (>= 6.4.0), libqt6gui6 (>= 6.4.0), \
libqt6widgets6 (>= 6.4.0), libmpv2 (>= 0.35.0), libx11-6, libxi6, fonts-noto-cjk")
# The captions' brush font; without it they fall back to Noto Sans CJK.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-arphic-ukai, qt6-translations-l10n")
include(CPack)
