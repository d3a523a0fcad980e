# SPDX-License-Identifier: GPL-3.0-or-later
find_package(X11 REQUIRED)

add_library(zelvane_gui STATIC)
target_sources(zelvane_gui PRIVATE
    common/blank_marks.cpp
    common/eight_bit_text.cpp
    common/fonts.cpp
    common/pictures.cpp
    common/table_notifier.cpp
    common/window_style.cpp
    dialogs/about_window.cpp
    dialogs/bookmark_manager.cpp
    dialogs/dialog_parts.cpp
    dialogs/extra_lines_manager.cpp
    dialogs/guide_window.cpp
    editor/caps_lock.cpp
    editor/cell_delegate.cpp
    editor/command_line.cpp
    editor/edit_commands.cpp
    editor/file_commands.cpp
    editor/find_and_go.cpp
    editor/main_menus.cpp
    editor/main_window.cpp
    editor/status_bar.cpp
    editor/status_panel.cpp
    editor/table_grid.cpp
    editor/table_model.cpp
    editor/tool_bar.cpp
    editor/window_commands.cpp
    editor/window_placement.cpp
    workbench/font_view.cpp
    workbench/script_window.cpp
    workbench/glyph_font.cpp
    workbench/mapped_file.cpp
    workbench/relative_search_window.cpp
    workbench/rom_view.cpp
)
# Pictures and the guide's text; Qt links them in and registers them, also
# from this static library.
file(GLOB zelvane_pictures RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} CONFIGURE_DEPENDS
    ${CMAKE_CURRENT_SOURCE_DIR}/resources/pictures/*.png)
qt_add_resources(zelvane_gui zelvane_resources PREFIX / BASE resources
    FILES resources/guide.txt ${zelvane_pictures})
target_link_libraries(zelvane_gui PUBLIC zelvane_core Qt6::Widgets PRIVATE X11::X11)
target_compile_definitions(zelvane_gui PUBLIC ZELVANE_VERSION="${PROJECT_VERSION}")
target_link_libraries(zelvane_gui PRIVATE zelvane_warnings)

add_executable(zelvane main.cpp)
target_link_libraries(zelvane PRIVATE zelvane_gui zelvane_warnings)

include(GNUInstallDirs)
set(zelvane_data ${PROJECT_SOURCE_DIR}/data)
set(zelvane_docdir ${CMAKE_INSTALL_DATADIR}/doc/zelvane)
install(TARGETS zelvane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${zelvane_data}/zelvane.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${zelvane_data}/zelvane.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${zelvane_data}/zelvane-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME zelvane.xml)
install(FILES ${zelvane_data}/zelvane.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo
    RENAME org.zelvane.Zelvane.metainfo.xml)
install(FILES ${zelvane_data}/copyright DESTINATION ${zelvane_docdir})

# The manual page and the changelog go compressed, without a time stamp in
# the gzip header, so that the same sources make the same package.
find_program(ZELVANE_GZIP gzip)
if(ZELVANE_GZIP)
    set(zelvane_compressed)
    foreach(pair "zelvane.1;zelvane.1.gz" "zelvane-script.1;zelvane-script.1.gz" "changelog;changelog.gz")
        list(GET pair 0 source)
        list(GET pair 1 target)
        add_custom_command(OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/${target}
            COMMAND ${ZELVANE_GZIP} -9 -n -c ${zelvane_data}/${source} > ${CMAKE_CURRENT_BINARY_DIR}/${target}
            DEPENDS ${zelvane_data}/${source} VERBATIM)
        list(APPEND zelvane_compressed ${CMAKE_CURRENT_BINARY_DIR}/${target})
    endforeach()
    add_custom_target(zelvane_compressed_docs ALL DEPENDS ${zelvane_compressed})
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/zelvane.1.gz ${CMAKE_CURRENT_BINARY_DIR}/zelvane-script.1.gz
            DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz DESTINATION ${zelvane_docdir})
endif()
