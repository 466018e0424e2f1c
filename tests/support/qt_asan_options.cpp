// Linked into the tests that load Qt. They check memory errors but not
// leaks: Qt's web engine, Quick and the GL drivers keep allocations for the
// life of the process, and the web engine's own allocator trips the
// delete-size check. The core tests keep both checks.
extern "C" const char* __asan_default_options() {
    return "detect_leaks=0:new_delete_type_mismatch=0";
}
