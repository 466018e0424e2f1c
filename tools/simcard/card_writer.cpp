#include "card_writer.h"

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "catalogue/storage_layout.h"
#include "gps_log_writer.h"

namespace tramlet::simcard {
namespace {

struct ClipJob {
    const RecordingPlan* recording;
    int channel;
};

void PrepareFolder(const std::string& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error)
        throw std::runtime_error("cannot create " + folder + ": " + error.message());
    if (access(folder.c_str(), W_OK) != 0)
        throw std::runtime_error("cannot write into " + folder + ": " + std::strerror(errno));
}

void WriteVersionFile(const CardPlan& card) {
    const std::string path = card.root.Below(".version");
    if (!card.cardVersion && std::filesystem::exists(path))
        return;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << card.cardVersion.value_or(1) << '\n';
    out.close();
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

std::vector<ClipResult> WriteClips(const CardPlan& card) {
    std::vector<ClipJob> jobs;
    for (const RecordingPlan& r : card.recordings) {
        for (int channel : r.channels)
            jobs.push_back({&r, channel});
    }
    std::vector<ClipResult> results(jobs.size());
    std::atomic<size_t> next = 0;
    std::exception_ptr failure;
    std::mutex failureLock;
    auto work = [&] {
        for (size_t i = next++; i < jobs.size(); i = next++) {
            try {
                results[i] = WriteClip(card, *jobs[i].recording, jobs[i].channel);
            } catch (...) {
                const std::lock_guard lock(failureLock);
                if (!failure)
                    failure = std::current_exception();
                next = jobs.size();
            }
        }
    };
    const size_t workers =
        std::min<size_t>(jobs.size(), std::max(1u, std::thread::hardware_concurrency()));
    std::vector<std::jthread> threads;
    for (size_t i = 1; i < workers; ++i)
        threads.emplace_back(work);
    work();
    threads.clear();
    if (failure)
        std::rethrow_exception(failure);
    return results;
}

}  // namespace

CardReport WriteCard(const CardPlan& card) {
    PrepareFolder(VideoFolder(card.root));
    PrepareFolder(GpsFolder(card.root));
    WriteVersionFile(card);
    CardReport report;
    report.clips = WriteClips(card);
    report.gpsLines = WriteGpsLogs(card);
    return report;
}

}  // namespace tramlet::simcard
