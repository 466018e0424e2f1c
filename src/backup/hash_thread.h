#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "backup/sha256.h"

namespace tramlet {

// Hashes one block at a time on a thread of its own, so that hashing a block
// overlaps reading and writing the next one.
class HashThread {
  public:
    HashThread();
    ~HashThread();
    HashThread(const HashThread&) = delete;
    HashThread& operator=(const HashThread&) = delete;

    // Starts a new hash; the previous one must have been finished.
    void Reset();
    // Waits until the block handed over before is hashed, then starts on this
    // one. The block must stay untouched until the next call or Finish.
    void Submit(const void* data, std::size_t size);
    // Waits for the last block and ends the hash.
    std::string Finish();
    // Waits for the last block, so its memory may be freed.
    void Wait();

  private:
    void Loop();

    std::mutex lock_;
    std::condition_variable changed_;
    const void* data_ = nullptr;
    std::size_t size_ = 0;
    bool busy_ = false;
    bool stop_ = false;
    std::optional<Sha256> hash_{std::in_place};
    std::thread thread_;
};

}  // namespace tramlet
