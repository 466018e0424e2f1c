#include "export/cell_graph.h"

#include <algorithm>
#include <cstdio>

extern "C" {
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
}

namespace tramlet::exporter {
namespace {

constexpr const char* kDarkCell = "0x1c1f24";

std::string Format(const char* format, auto... values) {
    char text[1024];
    std::snprintf(text, sizeof text, format, values...);
    return text;
}

// The filters of one cell, from its input pad (if any) to the label [cN].
std::string CellChain(const CellLayout& layout, const CellSource& source, size_t cell) {
    const int w = layout.cellWidth;
    const int h = layout.cellHeight;
    if (source.first && source.first->width == w && source.first->height == h)
        return Format("[in%zu]null[c%zu];", cell, cell);  // the usual case: nothing to do
    if (source.first) {
        return Format(
            "[in%zu]scale=%d:%d:force_original_aspect_ratio=decrease,"
            "pad=%d:%d:(ow-iw)/2:(oh-ih)/2,setsar=1[c%zu];",
            cell, w, h, w, h, cell);
    }
    const std::string dark = Format("color=c=%s:s=%dx%d:r=%d/%d", kDarkCell, w, h,
                                    layout.frameRate.num, layout.frameRate.den);
    if (source.channel == 0)
        return dark + Format("[c%zu];", cell);
    return dark + Format(
                      ",drawtext=fontfile='%s':text='CH%d':fontcolor=0x8a8f98:"
                      "fontsize=%d:x=(w-tw)/2:y=(h-th)/2[c%zu];",
                      layout.fontFile.c_str(), source.channel, h / 6, cell);
}

std::string Description(const CellLayout& layout, const std::vector<CellSource>& sources) {
    std::string description;
    for (size_t cell = 0; cell < sources.size(); ++cell)
        description += CellChain(layout, sources[cell], cell);
    for (size_t cell = 0; cell < sources.size(); ++cell)
        description += Format("[c%zu]", cell);
    if (sources.size() == 2)
        description += "xstack=inputs=2:layout=0_0|w0_0:shortest=1,";
    else if (sources.size() == 4)
        description += "xstack=inputs=4:layout=0_0|w0_0|0_h0|w0_h0:shortest=1,";
    return description + "format=yuv420p[out]";
}

}  // namespace

void CellLayout::FitWithin(int maxWidth, int maxHeight) {
    const double scale = std::min(
        {1.0, static_cast<double>(maxWidth) / Width(), static_cast<double>(maxHeight) / Height()});
    if (scale >= 1.0)
        return;
    cellWidth = std::max(2, static_cast<int>(cellWidth * scale) / 2 * 2);
    cellHeight = std::max(2, static_cast<int>(cellHeight * scale) / 2 * 2);
}

int CellGraph::Build(const CellLayout& layout, const std::vector<CellSource>& sources) {
    graph_.reset(avfilter_graph_alloc());
    if (!graph_)
        return AVERROR(ENOMEM);
    inputs_.assign(sources.size(), nullptr);
    AVFilterInOut* outputs = nullptr;  // the graph's open ends: our sources
    for (size_t cell = 0; cell < sources.size(); ++cell) {
        const AVFrame* first = sources[cell].first;
        if (!first)
            continue;
        const std::string arguments =
            Format("video_size=%dx%d:pix_fmt=%d:time_base=%d/%d:pixel_aspect=1/1", first->width,
                   first->height, first->format, layout.frameRate.den, layout.frameRate.num);
        const std::string name = Format("in%zu", cell);
        int result =
            avfilter_graph_create_filter(&inputs_[cell], avfilter_get_by_name("buffer"),
                                         name.c_str(), arguments.c_str(), nullptr, graph_.get());
        if (result < 0)
            return result;
        AVFilterInOut* end = avfilter_inout_alloc();
        end->name = av_strdup(name.c_str());
        end->filter_ctx = inputs_[cell];
        end->next = outputs;
        outputs = end;
    }
    int result = avfilter_graph_create_filter(&output_, avfilter_get_by_name("buffersink"), "out",
                                              nullptr, nullptr, graph_.get());
    AVFilterInOut* sink = avfilter_inout_alloc();
    sink->name = av_strdup("out");
    sink->filter_ctx = output_;
    if (result >= 0) {
        result = avfilter_graph_parse_ptr(graph_.get(), Description(layout, sources).c_str(), &sink,
                                          &outputs, nullptr);
    }
    avfilter_inout_free(&sink);
    avfilter_inout_free(&outputs);
    return result < 0 ? result : avfilter_graph_config(graph_.get(), nullptr);
}

int CellGraph::Push(size_t cell, AVFrame* frame) {
    return av_buffersrc_add_frame_flags(inputs_[cell], frame, AV_BUFFERSRC_FLAG_KEEP_REF);
}

int CellGraph::Pull(AVFrame* frame) {
    return av_buffersink_get_frame(output_, frame);
}

}  // namespace tramlet::exporter
