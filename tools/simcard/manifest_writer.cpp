#include "manifest_writer.h"

#include <fstream>
#include <stdexcept>

namespace tramlet::simcard {

void WriteManifest(const std::string& path, const CardPlan& card,
                   const std::vector<ClipResult>& clips) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << "# tramlet-simcard manifest\n";
    for (const ClipResult& clip : clips) {
        out << "clip " << clip.fileName << " frames " << clip.frames.size() << " rate "
            << card.encoder.rateMilli << " size " << card.encoder.width << 'x'
            << card.encoder.height << (clip.unclosed ? " unclosed\n" : " finished\n");
        for (const ChunkRecord& f : clip.frames)
            out << "frame " << f.offset << ' ' << f.size << (f.key ? " key\n" : " delta\n");
        if (clip.tail)
            out << "tail " << clip.tail->id << ' ' << clip.tail->offset << ' '
                << clip.tail->announced << ' ' << clip.tail->written << '\n';
    }
    out.close();
    if (!out)
        throw std::runtime_error("cannot write the manifest " + path);
}

}  // namespace tramlet::simcard
