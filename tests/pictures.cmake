# Format checks of the pictures in ui/pictures, read from the source tree.
find_package(Qt6 REQUIRED COMPONENTS Gui)
corvella_add_test(tst_pictures SOURCES tst_pictures.cpp LIBRARIES Qt6::Gui corvella_build_flags)
target_compile_definitions(tst_pictures PRIVATE CORVELLA_PICTURES_DIR="${PROJECT_SOURCE_DIR}/ui/pictures")
