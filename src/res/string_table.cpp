#include "res/string_table.h"

#include <map>

namespace tramlet {

QString LoadString(int id) {
    static const std::map<int, const char*> kStrings = {
        {101, "Tramlet 정보(&A)..."},
        {102, "경로지정"},
        {103, "화면캡쳐"},
        {105, "재생"},
        {106, "일시 중지"},
        {107, "되감기"},
        {108, "빨리감기"},
        {110, "설정한 기간이 올바르지 않습니다."},
        {315, "초기화"},
        {401, "백업"},
        {403, "백업이 완료되었습니다."},
        {404, "폴더를 선택해 주세요."},
        {405, "파일 최적화중입니다."},
    };
    const auto found = kStrings.find(id);
    return found == kStrings.end() ? QString() : QString::fromUtf8(found->second);
}

}  // namespace tramlet
