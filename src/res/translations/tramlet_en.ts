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
    <name>BackupDialog</name>
    <message>
        <source>영상 백업</source>
        <translation>Video backup</translation>
    </message>
    <message>
        <source>현재 영상</source>
        <translation>Current recording</translation>
    </message>
    <message>
        <source>기간 설정</source>
        <translation>Set period</translation>
    </message>
    <message>
        <source>백업 폴더</source>
        <translation>Backup folder</translation>
    </message>
    <message>
        <source>확인</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>취소</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>백업 폴더가 녹화 영상이 있는 폴더와 같아서 파일을 자기 자신 위에 복사하게 됩니다.
다른 폴더를 선택해 주세요.</source>
        <translation>The backup folder is the folder that holds the recordings: each file would be copied onto itself.
Please choose another folder.</translation>
    </message>
    <message>
        <source>백업 폴더가 없습니다: %1
%2</source>
        <translation>The backup folder does not exist: %1
%2</translation>
    </message>
    <message>
        <source>열려 있는 녹화 영상이 없습니다.
영상을 먼저 재생하거나 기간을 지정해 주세요.</source>
        <translation>No recording is open.
Play a recording first, or set a period.</translation>
    </message>
    <message>
        <source>백업할 영상이 없습니다.</source>
        <translation>There is nothing to back up.</translation>
    </message>
    <message>
        <source>내보낼 채널을 선택해 주세요.</source>
        <translation>Please choose the channels to export.</translation>
    </message>
    <message>
        <source>영상으로 내보내기는 하루 안의 기간만 할 수 있습니다.</source>
        <translation>Only a period within one day can be exported as video.</translation>
    </message>
</context>
<context>
    <name>BackupProgress</name>
    <message>
        <source>영상 백업</source>
        <translation>Video backup</translation>
    </message>
    <message>
        <source>취소</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>파일 %1 / %2    %3 / %4</source>
        <translation>File %1 / %2    %3 / %4</translation>
    </message>
    <message>
        <source>취소하는 중입니다...</source>
        <translation>Cancelling...</translation>
    </message>
</context>
<context>
    <name>BackupReport</name>
    <message>
        <source>저장 공간이 부족합니다</source>
        <translation>there is not enough space</translation>
    </message>
    <message>
        <source>읽기 전용 장치입니다</source>
        <translation>the device is read-only</translation>
    </message>
    <message>
        <source>쓰기 권한이 없습니다</source>
        <translation>there is no permission to write</translation>
    </message>
    <message>
        <source>폴더가 없습니다</source>
        <translation>the folder does not exist</translation>
    </message>
    <message>
        <source>입출력 오류가 났습니다</source>
        <translation>an input/output error occurred</translation>
    </message>
    <message>
        <source>장치가 분리되었습니다</source>
        <translation>the device was disconnected</translation>
    </message>
    <message>
        <source>파일이 너무 큽니다</source>
        <translation>the file is too large</translation>
    </message>
    <message>
        <source>이름이 너무 깁니다</source>
        <translation>the name is too long</translation>
    </message>
    <message>
        <source>카드에 파일이 없습니다</source>
        <translation>the file is not on the card</translation>
    </message>
    <message>
        <source>일반 파일이 아니어서 복사하지 않았습니다</source>
        <translation>not copied: it is not a regular file</translation>
    </message>
    <message>
        <source>카드에서 읽지 못했습니다 (%1)</source>
        <translation>could not be read from the card (%1)</translation>
    </message>
    <message>
        <source>카드가 분리되었습니다</source>
        <translation>the card was removed</translation>
    </message>
    <message>
        <source>백업 폴더에 하위 폴더를 만들지 못했습니다 (%1)</source>
        <translation>could not make a folder in the backup folder (%1)</translation>
    </message>
    <message>
        <source>백업 폴더에 쓰지 못했습니다 (%1)</source>
        <translation>could not be written to the backup folder (%1)</translation>
    </message>
    <message>
        <source>체크섬 파일을 쓰지 못했습니다 (%1)</source>
        <translation>could not write the checksum file (%1)</translation>
    </message>
    <message>
        <source>백업을 취소했습니다.</source>
        <translation>The backup was cancelled.</translation>
    </message>
    <message>
        <source>취소 전에 복사한 파일 %1개는 백업 폴더에 남아 있습니다.</source>
        <translation>The %1 files copied before that stay in the backup folder.</translation>
    </message>
    <message>
        <source>백업을 모두 마치지 못했습니다.</source>
        <translation>The backup did not complete.</translation>
    </message>
    <message>
        <source>복사한 파일: %1개</source>
        <translation>Files copied: %1</translation>
    </message>
    <message>
        <source>복사하지 못한 파일: %1개</source>
        <translation>Files not copied: %1</translation>
    </message>
    <message>
        <source>... 외 %1개</source>
        <translation>... and %1 more</translation>
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
    <name>ExportChoices</name>
    <message>
        <source>영상으로 내보내기</source>
        <translation>Export as video</translation>
    </message>
    <message>
        <source>채널별 무손실</source>
        <translation>Each channel, lossless</translation>
    </message>
    <message>
        <source>한 화면으로 합치기 (시각·위치 표시)</source>
        <translation>All in one picture (with time and place)</translation>
    </message>
    <message>
        <source>원본 크기</source>
        <translation>Full size</translation>
    </message>
</context>
<context>
    <name>ExportProgress</name>
    <message>
        <source>영상 내보내기</source>
        <translation>Video export</translation>
    </message>
    <message>
        <source>영상을 내보내는 중입니다...</source>
        <translation>Exporting the video...</translation>
    </message>
    <message>
        <source>취소</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>프레임 %1 / %2</source>
        <translation>Frame %1 / %2</translation>
    </message>
    <message>
        <source>취소하는 중입니다...</source>
        <translation>Cancelling...</translation>
    </message>
    <message>
        <source>영상을 내보냈습니다.
</source>
        <translation>The video was exported.
</translation>
    </message>
    <message>
        <source>내보낼 영상이 없습니다.</source>
        <translation>There is no recording in that period.</translation>
    </message>
    <message>
        <source>녹화 영상을 읽을 수 없습니다.</source>
        <translation>A recording cannot be read.</translation>
    </message>
    <message>
        <source>같은 이름의 파일이 이미 있습니다.</source>
        <translation>A file of that name exists already.</translation>
    </message>
    <message>
        <source>백업 폴더에 쓸 수 없습니다.</source>
        <translation>The backup folder cannot be written to.</translation>
    </message>
    <message>
        <source>백업 폴더의 저장 공간이 부족합니다.</source>
        <translation>The backup folder has too little space.</translation>
    </message>
    <message>
        <source>내보내기를 취소했습니다.</source>
        <translation>The export was cancelled.</translation>
    </message>
    <message>
        <source>영상을 내보내지 못했습니다.</source>
        <translation>The video could not be exported.</translation>
    </message>
    <message>
        <source>
만들던 파일은 지웠습니다.</source>
        <translation>
The unfinished file was removed.</translation>
    </message>
</context>
<context>
    <name>Library</name>
    <message>
        <source>보관함에 저장하지 못했습니다: %1</source>
        <translation>Could not keep the card in the library: %1</translation>
    </message>
    <message>
        <source>저장을 멈췄습니다. 다음에 저장하면 이어서 저장합니다.</source>
        <translation>Stopped. The next time the card is kept, it goes on from here.</translation>
    </message>
    <message>
        <source>%1 차량의 보관함에 저장했습니다: 새 파일 %2개, 이미 있던 파일 %3개.</source>
        <translation>Kept in the library for %1: %2 new files, %3 already there.</translation>
    </message>
    <message>
        <source>이름이 같고 내용이 다른 파일 %1개는 conflicts 폴더에 따로 두었습니다.</source>
        <translation>%1 files whose names were taken by other contents were put aside in the conflicts folder.</translation>
    </message>
    <message>
        <source>파일 %1개는 저장하지 못했습니다.</source>
        <translation>%1 files could not be kept.</translation>
    </message>
    <message>
        <source>보관함에 저장</source>
        <translation>Keep in library</translation>
    </message>
    <message>
        <source>취소</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>차량 이름</source>
        <translation>Vehicle name</translation>
    </message>
    <message>
        <source>닫기</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>녹화기 카드가 들어왔습니다. 보관함에 저장할까요? 차량:</source>
        <translation>A recorder card has arrived. Keep it in the library? Vehicle:</translation>
    </message>
    <message>
        <source>%1 차량의 보관함에 저장하는 중…</source>
        <translation>Keeping the card in the library for %1…</translation>
    </message>
    <message>
        <source>파일 %1 / %2</source>
        <translation>File %1 / %2</translation>
    </message>
    <message>
        <source>보관함</source>
        <translation>Library</translation>
    </message>
    <message>
        <source>보관함에 저장한 차량의 녹화 영상</source>
        <translation>Recordings of the vehicles kept in the library</translation>
    </message>
    <message>
        <source>보관함에 저장한 차량이 없습니다.</source>
        <translation>No vehicle is kept in the library yet.</translation>
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
        <translation>Repair the card&apos;s unfinished clips</translation>
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
    <name>RepairWindow</name>
    <message>
        <source>카드가 빠져 영상 %1개를 살펴보지 못했습니다.</source>
        <translation>The card was removed: %1 videos were not looked at.</translation>
    </message>
    <message>
        <source>닫기</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>복구하지 못한 영상이 있습니다.</source>
        <translation>Some videos could not be repaired.</translation>
    </message>
</context>
<context>
    <name>Snapshot</name>
    <message>
        <source>화면을 저장하지 못했습니다.
%1
%2</source>
        <translation>The picture could not be saved.
%1
%2</translation>
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
