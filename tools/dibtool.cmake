# dibtool maps and scales pictures with the apply engine's own steps.
target_link_libraries(dibtool PRIVATE engine)
