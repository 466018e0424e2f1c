#include "export/caption_graph.h"

#include <algorithm>

extern "C" {
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/opt.h>
}

namespace tramlet::exporter {

int CaptionGraph::Build(int width, int height, AVRational frameRate, const std::string& fontFile) {
    graph_.reset(avfilter_graph_alloc());
    if (!graph_)
        return AVERROR(ENOMEM);
    const std::string source =
        "video_size=" + std::to_string(width) + "x" + std::to_string(height) +
        ":pix_fmt=" + std::to_string(AV_PIX_FMT_YUV420P) +
        ":time_base=" + std::to_string(frameRate.den) + "/" + std::to_string(frameRate.num);
    int result = avfilter_graph_create_filter(&input_, avfilter_get_by_name("buffer"), "in",
                                              source.c_str(), nullptr, graph_.get());
    if (result < 0)
        return result;
    if ((result = avfilter_graph_create_filter(&output_, avfilter_get_by_name("buffersink"), "out",
                                               nullptr, nullptr, graph_.get())) < 0) {
        return result;
    }
    // Options are set one by one, so the font path and the text need no escaping.
    drawtext_ =
        avfilter_graph_alloc_filter(graph_.get(), avfilter_get_by_name("drawtext"), "caption");
    if (!drawtext_)
        return AVERROR_FILTER_NOT_FOUND;
    const int size = std::max(12, height / 24);
    const std::string margin = std::to_string(size / 2);
    av_opt_set(drawtext_, "fontfile", fontFile.c_str(), AV_OPT_SEARCH_CHILDREN);
    av_opt_set(drawtext_, "expansion", "none", AV_OPT_SEARCH_CHILDREN);
    av_opt_set(drawtext_, "text", " ", AV_OPT_SEARCH_CHILDREN);
    av_opt_set(drawtext_, "fontcolor", "white", AV_OPT_SEARCH_CHILDREN);
    av_opt_set(drawtext_, "fontsize", std::to_string(size).c_str(), AV_OPT_SEARCH_CHILDREN);
    av_opt_set_int(drawtext_, "box", 1, AV_OPT_SEARCH_CHILDREN);
    av_opt_set(drawtext_, "boxcolor", "black@0.6", AV_OPT_SEARCH_CHILDREN);
    av_opt_set(drawtext_, "boxborderw", margin.c_str(), AV_OPT_SEARCH_CHILDREN);
    av_opt_set(drawtext_, "x", margin.c_str(), AV_OPT_SEARCH_CHILDREN);
    av_opt_set(drawtext_, "y", ("h-th-" + margin).c_str(), AV_OPT_SEARCH_CHILDREN);
    if ((result = avfilter_init_str(drawtext_, nullptr)) < 0 ||
        (result = avfilter_link(input_, 0, drawtext_, 0)) < 0 ||
        (result = avfilter_link(drawtext_, 0, output_, 0)) < 0) {
        return result;
    }
    text_ = " ";
    return avfilter_graph_config(graph_.get(), nullptr);
}

int CaptionGraph::Draw(AVFrame* frame, const std::string& text) {
    if (text != text_) {
        // The new text becomes the filter's option, as a reinit would set it.
        int result = av_opt_set(drawtext_->priv, "text", text.c_str(), 0);
        if (result < 0)
            return result;
        text_ = text;
    }
    int result = av_buffersrc_add_frame_flags(input_, frame, AV_BUFFERSRC_FLAG_PUSH);
    return result < 0 ? result : av_buffersink_get_frame(output_, frame);
}

}  // namespace tramlet::exporter
