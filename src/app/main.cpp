#include "app/tramlet_app.h"
#include "map/explorer.h"

int main(int argc, char** argv) {
    tramlet::CExplorer::PrepareProcess();
    tramlet::CTramletApp app(argc, argv);
    return app.InitInstance();
}
