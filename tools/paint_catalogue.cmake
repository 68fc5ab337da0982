find_package(JPEG REQUIRED)
target_link_libraries(${tool} PRIVATE painter JPEG::JPEG)
