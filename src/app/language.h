#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>

class QCoreApplication;

namespace tramlet {

// The program speaks Korean, its own language, on a Korean system or when
// asked with --lang ko, and English everywhere else or with --lang en. Qt's
// own dialogs and buttons follow, from Qt's translations.
QLocale::Language ChooseLanguage(const QStringList& arguments, const QLocale& system);
// Installs the translations for the language; returns whether every one
// that the language needs was found.
bool InstallLanguage(QCoreApplication& app, QLocale::Language language);

}  // namespace tramlet
