<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>AboutBox</name>
    <message>
        <source>Tramlet 정보</source>
        <translation>About Tramlet</translation>
    </message>
    <message>
        <source>Tramlet, 버전 1.6</source>
        <translation>Tramlet, version 1.6</translation>
    </message>
    <message>
        <source>확인</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>Bitmaps</name>
    <message>
        <source>배속</source>
        <translation>Speed</translation>
    </message>
    <message>
        <source>볼륨</source>
        <translation>Volume</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>시</source>
        <translation>h</translation>
    </message>
    <message>
        <source>분</source>
        <translation>m</translation>
    </message>
    <message>
        <source>초</source>
        <translation>s</translation>
    </message>
    <message>
        <source>카드의 미완성 영상 복구</source>
        <translation>Repair the card's unfinished clips</translation>
    </message>
    <message>
        <source>볼륨 (↑ ↓)</source>
        <translation>Volume (↑ ↓)</translation>
    </message>
    <message>
        <source>배속 ([ ])</source>
        <translation>Speed ([ ])</translation>
    </message>
    <message>
        <source>녹화 영상 재생 프로그램</source>
        <translation>Recorded video player</translation>
    </message>
    <message>
        <source>메모리 카드가 제거되었습니다.</source>
        <translation>The memory card was removed.</translation>
    </message>
    <message>
        <source>이 날에는 녹화 영상이 없습니다.</source>
        <translation>There are no recordings on this day.</translation>
    </message>
    <message>
        <source>이 시각에는 녹화 영상이 없습니다.</source>
        <translation>There is no recording at this time.</translation>
    </message>
    <message>
        <source>녹화 영상을 열 수 없습니다.</source>
        <translation>The recording cannot be opened.</translation>
    </message>
    <message>
        <source>불러오는 중</source>
        <translation>Loading</translation>
    </message>
</context>
<context>
    <name>StringTable</name>
    <message>
        <source>Tramlet 정보(&amp;A)...</source>
        <translation>&amp;About Tramlet...</translation>
    </message>
    <message>
        <source>경로지정</source>
        <translation>Set path</translation>
    </message>
    <message>
        <source>화면캡쳐</source>
        <translation>Screen capture</translation>
    </message>
    <message>
        <source>재생</source>
        <translation>Play</translation>
    </message>
    <message>
        <source>일시 중지</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>되감기</source>
        <translation>Rewind</translation>
    </message>
    <message>
        <source>빨리감기</source>
        <translation>Fast forward</translation>
    </message>
    <message>
        <source>설정한 기간이 올바르지 않습니다.</source>
        <translation>The period is not valid.</translation>
    </message>
    <message>
        <source>초기화</source>
        <translation>Repair</translation>
    </message>
    <message>
        <source>백업</source>
        <translation>Backup</translation>
    </message>
    <message>
        <source>백업이 완료되었습니다.</source>
        <translation>The backup is complete.</translation>
    </message>
    <message>
        <source>폴더를 선택해 주세요.</source>
        <translation>Please choose a folder.</translation>
    </message>
    <message>
        <source>파일 최적화중입니다.</source>
        <translation>Optimising the files.</translation>
    </message>
</context>
</TS>
