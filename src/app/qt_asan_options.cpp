// Linked into the sanitizer builds of the program and of the tests that load
// Qt. They check memory errors but not leaks: Qt's web engine, Quick and the
// GL drivers keep allocations for the life of the process. Nor delete sizes:
// the web engine's teardown of every page deletes an 88-byte object of its
// own as a 24-byte one, inside the engine, whatever the order in which the
// program lets its pages go (a bare QWebEngineView does the same). The core
// tests keep both checks.
extern "C" const char* __asan_default_options() {
    return "detect_leaks=0:new_delete_type_mismatch=0";
}
