// Runs the tests inside the program's application object on the X display,
// prepared as the program prepares it; without a display the tests see no
// application and skip.
#include <gtest/gtest.h>

#include <cstdlib>

#include "app/tramlet_app.h"
#include "map/explorer.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    const char* display = std::getenv("DISPLAY");
    if (GTEST_FLAG_GET(list_tests) || !display || !*display)
        return RUN_ALL_TESTS();
    // xvfb-run starts no session bus. Without an address, the first window
    // shown has libdbus fork one, and a child forked under the sanitizers'
    // allocator can freeze before it runs, and the test with it.
    if (!std::getenv("DBUS_SESSION_BUS_ADDRESS"))
        ::setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
    tramlet::CExplorer::PrepareProcess();
    tramlet::CTramletApp app(argc, argv);
    return RUN_ALL_TESTS();
}
