#include "app/language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace tramlet {

QLocale::Language ChooseLanguage(const QStringList& arguments, const QLocale& system) {
    const qsizetype at = arguments.indexOf("--lang");
    const QString asked = at >= 0 && at + 1 < arguments.size() ? arguments[at + 1] : QString();
    if (asked == "ko")
        return QLocale::Korean;
    if (asked == "en")
        return QLocale::English;
    return system.language() == QLocale::Korean ? QLocale::Korean : QLocale::English;
}

bool InstallLanguage(QCoreApplication& app, QLocale::Language language) {
    const QLocale locale(language,
                         language == QLocale::Korean ? QLocale::SouthKorea : QLocale::UnitedStates);
    QLocale::setDefault(locale);
    if (language == QLocale::Korean) {
        auto* qt = new QTranslator(&app);
        const bool found =
            qt->load(locale, "qtbase", "_", QLibraryInfo::path(QLibraryInfo::TranslationsPath));
        QCoreApplication::installTranslator(qt);
        return found;
    }
    // The program's own text is Korean: other languages have it translated.
    auto* own = new QTranslator(&app);
    const bool found = own->load(":/i18n/tramlet_en.qm");
    QCoreApplication::installTranslator(own);
    return found;
}

}  // namespace tramlet
