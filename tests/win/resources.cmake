# Checks the resources linked into the built varnholt.exe: version block, icon and manifest.
# Included from tests/win/CMakeLists.txt.
varnholt_test(resources_tests resources_test.cpp)
target_link_libraries(resources_tests PRIVATE version)
# The exe's path as built (a Linux path when cross-compiling; the test turns it into Z:\...).
target_compile_definitions(resources_tests PRIVATE "VARNHOLT_EXE_PATH=\"$<TARGET_FILE:varnholt>\"")
add_dependencies(resources_tests varnholt)
