# contact_sheet shows the program's own module (compiled in) and a picture library in one PNG.
find_package(Qt6 REQUIRED COMPONENTS Gui)
target_link_libraries(contact_sheet PRIVATE Qt6::Gui schedule book)
ossen_add_program_resources(contact_sheet)
