find_package(X11 REQUIRED)

add_library(zelvane_gui STATIC)
target_sources(zelvane_gui PRIVATE
    common/eight_bit_text.cpp
    common/fonts.cpp
    common/pictures.cpp
    common/table_notifier.cpp
    dialogs/about_window.cpp
    dialogs/bookmark_manager.cpp
    dialogs/dialog_parts.cpp
    dialogs/extra_lines_manager.cpp
    dialogs/guide_window.cpp
    editor/caps_lock.cpp
    editor/cell_delegate.cpp
    editor/command_line.cpp
    editor/file_commands.cpp
    editor/main_window.cpp
    editor/status_bar.cpp
    editor/status_panel.cpp
    editor/table_grid.cpp
    editor/table_model.cpp
)
# Pictures and the guide's text; Qt links them in and registers them, also
# from this static library.
file(GLOB zelvane_pictures RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} CONFIGURE_DEPENDS
    ${CMAKE_CURRENT_SOURCE_DIR}/resources/pictures/*.png)
qt_add_resources(zelvane_gui zelvane_resources PREFIX / BASE resources
    FILES resources/guide.txt ${zelvane_pictures})
target_link_libraries(zelvane_gui PUBLIC zelvane_core Qt6::Widgets PRIVATE X11::X11)
target_compile_definitions(zelvane_gui PUBLIC ZELVANE_VERSION="${PROJECT_VERSION}")
target_compile_options(zelvane_gui PRIVATE -Wall -Wextra)

add_executable(zelvane main.cpp)
target_link_libraries(zelvane PRIVATE zelvane_gui)

include(GNUInstallDirs)
install(TARGETS zelvane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/data/zelvane.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/data/zelvane.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
