# `cmake --install build --prefix PREFIX` lays Parvex out as a Linux program:
#   PREFIX/bin/parvex, PREFIX/bin/parvexcmd
#   PREFIX/<libdir>/parvex/libparvexlib.so and its widget side (private: loaded by path, never linked)
#   PREFIX/share/parvex/            help, pictures, default sound
#   PREFIX/share/applications/parvex.desktop, PREFIX/share/icons/hicolor/scalable/apps/parvex.svg
# The program finds its library and assets from its own folder through the two relative paths below, so
# the prefix may still be chosen at install time; a development build keeps everything in build/bin.
include(GNUInstallDirs)

set(PARVEX_INSTALL_LIBRARY_DIR ${CMAKE_INSTALL_LIBDIR}/parvex)
set(PARVEX_INSTALL_ASSET_DIR ${CMAKE_INSTALL_DATADIR}/parvex)
file(RELATIVE_PATH PARVEX_LIBRARY_FROM_PROGRAM /prefix/${CMAKE_INSTALL_BINDIR} /prefix/${PARVEX_INSTALL_LIBRARY_DIR})
file(RELATIVE_PATH PARVEX_ASSETS_FROM_PROGRAM /prefix/${CMAKE_INSTALL_BINDIR} /prefix/${PARVEX_INSTALL_ASSET_DIR})
target_compile_definitions(parvex_settings INTERFACE
    PARVEX_LIBRARY_FROM_PROGRAM="${PARVEX_LIBRARY_FROM_PROGRAM}"
    PARVEX_ASSETS_FROM_PROGRAM="${PARVEX_ASSETS_FROM_PROGRAM}")

install(TARGETS parvex parvexcmd RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS parvexlib LIBRARY DESTINATION ${PARVEX_INSTALL_LIBRARY_DIR})
install(TARGETS parvexlib_widgets LIBRARY DESTINATION ${PARVEX_INSTALL_LIBRARY_DIR})
file(GLOB PARVEX_ASSET_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/assets/files/*)
install(FILES ${PARVEX_ASSET_FILES} DESTINATION ${PARVEX_INSTALL_ASSET_DIR})

# The menu entry starts the program by its full path, so a prefix outside PATH works too. The prefix is
# known only when installing, hence the entry is written then.
set(PARVEX_DESKTOP_FILE ${CMAKE_BINARY_DIR}/install/parvex.desktop)
install(CODE "
    set(PARVEX_DESKTOP_TEMPLATE \"${CMAKE_SOURCE_DIR}/assets/parvex.desktop.in\")
    set(PARVEX_DESKTOP_FILE \"${PARVEX_DESKTOP_FILE}\")
    set(PARVEX_PROGRAM \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/parvex\")
    include(\"${CMAKE_CURRENT_LIST_DIR}/WriteDesktopEntry.cmake\")
")
install(FILES ${PARVEX_DESKTOP_FILE} DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/assets/icons/parvex.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
