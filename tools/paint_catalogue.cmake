target_link_libraries(${tool} PRIVATE painter picture_library)

# Its tests run the real program; the test program is made after the tools, so these settings
# wait for the end of this folder.
cmake_language(DEFER CALL target_link_libraries tools_tests PRIVATE painter)
cmake_language(DEFER CALL target_compile_definitions tools_tests PRIVATE
               PAINT_CATALOGUE_PATH="$<TARGET_FILE:paint_catalogue>")
cmake_language(DEFER CALL add_dependencies tools_tests paint_catalogue)
