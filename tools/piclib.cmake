# piclib makes the preview pictures with the picture library's code and packs the result
# with the rcc the build used (OSSEN_RCC overrides it at run time).
target_link_libraries(piclib PRIVATE picture_library)
target_compile_definitions(piclib PRIVATE OSSEN_RCC_PATH="$<TARGET_FILE:Qt6::rcc>"
                                         OSSEN_BUNDLED_LIBRARY="${OSSEN_PICTURE_LIBRARY}")

# Its tests run in the tools' test program, which is made after every tool.
function(ossen_wire_piclib_tests)
  if(TARGET tools_tests AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/piclib_test.cpp)
    target_link_libraries(tools_tests PRIVATE picture_library)
    target_compile_definitions(tools_tests PRIVATE PICLIB_PATH="$<TARGET_FILE:piclib>")
    target_compile_definitions(tools_tests PRIVATE OSSEN_BUNDLED_LIBRARY="${OSSEN_PICTURE_LIBRARY}")
    add_dependencies(tools_tests piclib ossen_picture_library)
  endif()
endfunction()
cmake_language(DEFER CALL ossen_wire_piclib_tests)
