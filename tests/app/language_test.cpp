#include "app/language.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>

#include "res/resource_ids.h"
#include "res/string_table.h"

namespace tramlet {
namespace {

TEST(Language, KoreanOnAKoreanSystemOrWhenAskedEnglishOtherwise) {
    struct Case {
        QStringList arguments;
        const char* system;
        QLocale::Language chosen;
    };
    const Case cases[] = {
        {{"tramlet"}, "ko_KR", QLocale::Korean},
        {{"tramlet"}, "en_US", QLocale::English},
        {{"tramlet"}, "de_DE", QLocale::English},
        {{"tramlet", "--lang", "en"}, "ko_KR", QLocale::English},
        {{"tramlet", "--lang", "ko"}, "en_US", QLocale::Korean},
        {{"tramlet", "--lang"}, "ko_KR", QLocale::Korean},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ChooseLanguage(c.arguments, QLocale(c.system)), c.chosen)
            << c.arguments.join(' ').toStdString() << " on " << c.system;
    }
}

// Qt's own buttons and the program's own words, in either language.
TEST(Language, StandardDialogsAndTheProgramsTextSpeakTheChosenLanguage) {
    struct Case {
        const char* system;
        const char* ok;
        const char* cancel;
        const char* play;
    };
    for (const Case& c : {Case{"ko_KR", "확인", "취소", "재생"}, Case{"en_US", "OK", "Cancel", "Play"}}) {
        const QLocale::Language language = ChooseLanguage({"tramlet"}, QLocale(c.system));
        EXPECT_TRUE(InstallLanguage(*qApp, language)) << c.system;
        QMessageBox box(QMessageBox::Question, "", "", QMessageBox::Ok | QMessageBox::Cancel);
        EXPECT_EQ(box.button(QMessageBox::Ok)->text().remove('&'), QString::fromUtf8(c.ok));
        EXPECT_EQ(box.button(QMessageBox::Cancel)->text().remove('&'), QString::fromUtf8(c.cancel));
        EXPECT_EQ(LoadString(res::kPlayTip), QString::fromUtf8(c.play));
        for (QTranslator* installed : qApp->findChildren<QTranslator*>()) {
            QCoreApplication::removeTranslator(installed);
            delete installed;
        }
    }
}

}  // namespace
}  // namespace tramlet
