#include "app/language.h"
#include "app/tramlet_app.h"
#include "map/explorer.h"

int main(int argc, char** argv) {
    tramlet::CExplorer::PrepareProcess();
    tramlet::CTramletApp app(argc, argv);
    const QLocale::Language language =
        tramlet::ChooseLanguage(QCoreApplication::arguments(), QLocale::system());
    if (!tramlet::InstallLanguage(app, language))
        qWarning("Tramlet: some of the translations for the chosen language are missing");
    return app.InitInstance();
}
