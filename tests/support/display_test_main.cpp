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
    tramlet::CExplorer::PrepareProcess();
    tramlet::CTramletApp app(argc, argv);
    return RUN_ALL_TESTS();
}
