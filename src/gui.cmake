find_package(X11 REQUIRED)

add_library(zelvane_gui STATIC)
target_sources(zelvane_gui PRIVATE
    dialogs/about_window.cpp
    dialogs/bookmark_manager.cpp
    dialogs/dialog_parts.cpp
    dialogs/extra_lines_manager.cpp
    dialogs/guide_window.cpp
    editor/caps_lock.cpp
    editor/eight_bit_text.cpp
    editor/main_window.cpp
    editor/pictures.cpp
    editor/status_panel.cpp
    editor/table_grid.cpp
    editor/table_model.cpp
)
target_link_libraries(zelvane_gui PUBLIC zelvane_core Qt6::Widgets PRIVATE X11::X11)
target_compile_options(zelvane_gui PRIVATE -Wall -Wextra)

add_executable(zelvane main.cpp)
target_link_libraries(zelvane PRIVATE zelvane_gui)

include(GNUInstallDirs)
install(TARGETS zelvane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/data/zelvane.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/data/zelvane.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
