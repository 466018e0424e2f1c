// Runs GoogleTest inside the program's application object, so that its key
// filter and settings names are in place as in the program.
#include <gtest/gtest.h>

#include "app/tramlet_app.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // Listing the tests (as the build does) needs no display.
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    tramlet::CTramletApp app(argc, argv);
    return RUN_ALL_TESTS();
}
