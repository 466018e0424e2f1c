#include "backup/hash_thread.h"

namespace tramlet {

HashThread::HashThread() : thread_([this] { Loop(); }) {}

HashThread::~HashThread() {
    {
        const std::lock_guard<std::mutex> hold(lock_);
        stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void HashThread::Loop() {
    std::unique_lock<std::mutex> hold(lock_);
    for (;;) {
        changed_.wait(hold, [this] { return busy_ || stop_; });
        if (stop_)
            return;
        const void* data = data_;
        const std::size_t size = size_;
        hold.unlock();
        hash_->Update(data, size);
        hold.lock();
        busy_ = false;
        changed_.notify_all();
    }
}

void HashThread::Wait() {
    std::unique_lock<std::mutex> hold(lock_);
    changed_.wait(hold, [this] { return !busy_; });
}

void HashThread::Reset() {
    Wait();
    hash_.emplace();
}

void HashThread::Submit(const void* data, std::size_t size) {
    std::unique_lock<std::mutex> hold(lock_);
    changed_.wait(hold, [this] { return !busy_; });
    data_ = data;
    size_ = size;
    busy_ = true;
    changed_.notify_all();
}

std::string HashThread::Finish() {
    Wait();
    return hash_->HexDigest();
}

}  // namespace tramlet
