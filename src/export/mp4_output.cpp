#include "export/mp4_output.h"

#include <cerrno>

extern "C" {
#include <libavutil/mem.h>
#include <libavutil/opt.h>
}

namespace tramlet::exporter {
namespace {

constexpr std::uintmax_t kNearlyFull = 1 << 20;

}  // namespace

ExportError WriteErrorKind(int code) {
    switch (code) {
        case AVERROR_EXIT:
            return ExportError::kCancelled;
        case AVERROR(ENOSPC):
        case AVERROR(EFBIG):
        case AVERROR(EDQUOT):
            return ExportError::kDiskFull;
        case AVERROR(EACCES):
        case AVERROR(EPERM):
        case AVERROR(EROFS):
        case AVERROR(ENOENT):
        case AVERROR(ENOTDIR):
            return ExportError::kNotWritable;
        default:
            return ExportError::kFailed;
    }
}

Mp4Output::~Mp4Output() {
    Discard();
}

void Mp4Output::Discard() {
    if (!context_)
        return;
    if (context_->pb)
        avio_closep(&context_->pb);
    avformat_free_context(context_);
    context_ = nullptr;
    file_.reset();
}

ExportFailure Mp4Output::WriteFailure(int code, const char* what) const {
    ExportError kind = WriteErrorKind(code);
    // Some card drivers (fusefat) report a full card as "not permitted".
    std::error_code error;
    const std::filesystem::space_info space =
        std::filesystem::space(destination_.parent_path(), error);
    if (!error && space.available < kNearlyFull)
        kind = ExportError::kDiskFull;
    return Failed(kind, destination_.string() + ": " + what + ": " + AvErrorText(code),
                  ErrnoOf(code));
}

int Mp4Output::Interrupted(void* self) {
    const std::atomic<bool>* cancel = static_cast<Mp4Output*>(self)->cancel_;
    return cancel && cancel->load() ? 1 : 0;
}

std::optional<ExportFailure> Mp4Output::Open(const std::filesystem::path& destination,
                                             bool overwrite, const std::atomic<bool>* cancel) {
    destination_ = destination;
    overwrite_ = overwrite;
    cancel_ = cancel;
    std::error_code error;
    if (!overwrite && std::filesystem::exists(destination, error))
        return Failed(ExportError::kExists, destination.string());
    // A unique name in the destination's own folder, so that the final
    // rename stays on one file system and cannot leave half a file in place.
    file_ = std::make_unique<AtomicFile>(destination.string());
    if (!file_->Ok())
        return WriteFailure(AVERROR(file_->Error()), "cannot create a file in its folder");
    const int result =
        avformat_alloc_output_context2(&context_, nullptr, "mp4", file_->TemporaryPath().c_str());
    if (result < 0) {
        file_.reset();
        return WriteFailure(result, "cannot set up MP4");
    }
    return std::nullopt;
}

AVStream* Mp4Output::AddStream(const AVCodecParameters* parameters, AVRational timeBase) {
    AVStream* stream = avformat_new_stream(context_, nullptr);
    if (!stream || avcodec_parameters_copy(stream->codecpar, parameters) < 0)
        return nullptr;
    stream->codecpar->codec_tag = 0;
    stream->time_base = timeBase;
    return stream;
}

void Mp4Output::SetMetadata(const char* key, const std::string& value) {
    av_dict_set(&context_->metadata, key, value.c_str(), 0);
}

// Chapters have no public constructor; they are made as FFmpeg's own tools
// make them, and freed with the context.
void Mp4Output::AddChapter(const std::string& title, std::int64_t start, std::int64_t end,
                           AVRational timeBase) {
    auto* chapter = static_cast<AVChapter*>(av_mallocz(sizeof(AVChapter)));
    int count = static_cast<int>(context_->nb_chapters);
    if (!chapter || av_dynarray_add_nofree(&context_->chapters, &count, chapter) < 0) {
        av_free(chapter);
        return;
    }
    context_->nb_chapters = static_cast<unsigned>(count);
    chapter->id = count;
    chapter->time_base = timeBase;
    chapter->start = start;
    chapter->end = end;
    av_dict_set(&chapter->metadata, "title", title.c_str(), 0);
}

std::optional<ExportFailure> Mp4Output::WriteHeader() {
    context_->interrupt_callback = {&Mp4Output::Interrupted, this};
    int result = avio_open2(&context_->pb, file_->TemporaryPath().c_str(), AVIO_FLAG_WRITE,
                            &context_->interrupt_callback, nullptr);
    if (result < 0)
        return WriteFailure(result, "cannot write");
    // The index goes in front, so that players can start before the end arrives.
    AVDictionary* options = nullptr;
    av_dict_set(&options, "movflags", "+faststart", 0);
    result = avformat_write_header(context_, &options);
    av_dict_free(&options);
    if (result < 0)
        return WriteFailure(result, "cannot write");
    return std::nullopt;
}

std::optional<ExportFailure> Mp4Output::Write(AVPacket* packet, AVRational from) {
    av_packet_rescale_ts(packet, from, context_->streams[packet->stream_index]->time_base);
    const int result = av_interleaved_write_frame(context_, packet);
    if (result < 0)
        return WriteFailure(result, "cannot write");
    if (context_->pb->error < 0)
        return WriteFailure(context_->pb->error, "cannot write");
    return std::nullopt;
}

std::optional<ExportFailure> Mp4Output::Finish() {
    int result = av_write_trailer(context_);
    const int ioError = context_->pb->error;
    const int closed = avio_closep(&context_->pb);
    if (result >= 0)
        result = ioError < 0 ? ioError : closed;
    if (result < 0)
        return WriteFailure(result, "cannot write");
    std::error_code error;
    if (!overwrite_ && std::filesystem::exists(destination_, error))
        return Failed(ExportError::kExists, destination_.string());
    if (const int failed = file_->Commit(); failed != 0)
        return WriteFailure(AVERROR(failed), "cannot put the file in place");
    avformat_free_context(context_);
    context_ = nullptr;
    file_.reset();
    return std::nullopt;
}

}  // namespace tramlet::exporter
