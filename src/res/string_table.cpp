#include "res/string_table.h"

#include <QCoreApplication>

#include <map>

namespace tramlet {

QString LoadString(int id) {
    static const std::map<int, const char*> kStrings = {
        {101, QT_TRANSLATE_NOOP("StringTable", "Tramlet 정보(&A)...")},
        {102, QT_TRANSLATE_NOOP("StringTable", "경로지정")},
        {103, QT_TRANSLATE_NOOP("StringTable", "화면캡쳐")},
        {105, QT_TRANSLATE_NOOP("StringTable", "재생")},
        {106, QT_TRANSLATE_NOOP("StringTable", "일시 중지")},
        {107, QT_TRANSLATE_NOOP("StringTable", "되감기")},
        {108, QT_TRANSLATE_NOOP("StringTable", "빨리감기")},
        {110, QT_TRANSLATE_NOOP("StringTable", "설정한 기간이 올바르지 않습니다.")},
        {315, QT_TRANSLATE_NOOP("StringTable", "초기화")},
        {401, QT_TRANSLATE_NOOP("StringTable", "백업")},
        {403, QT_TRANSLATE_NOOP("StringTable", "백업이 완료되었습니다.")},
        {404, QT_TRANSLATE_NOOP("StringTable", "폴더를 선택해 주세요.")},
        {405, QT_TRANSLATE_NOOP("StringTable", "파일 최적화중입니다.")},
    };
    const auto found = kStrings.find(id);
    return found == kStrings.end() ? QString()
                                   : QCoreApplication::translate("StringTable", found->second);
}

}  // namespace tramlet
