#include "app/tramlet_app.h"

int main(int argc, char** argv) {
    tramlet::CTramletApp app(argc, argv);
    return app.InitInstance();
}
