#include "job_pool.hpp"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <new>
#include <set>
#include <thread>

#include "stop_signal.hpp"

namespace glyph::family {
namespace {

std::string run_one(const Job& job) {
    try {
        return job.work();
    } catch (const std::bad_alloc&) {
        return "FATAL: Memory exhausted";
    } catch (const std::exception& error) {
        return error.what();
    }
}

}  // namespace

std::string run_jobs(const std::vector<Job>& jobs, unsigned threads) {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::size_t> waiting_for(jobs.size());
    std::vector<std::vector<std::size_t>> followers(jobs.size());
    std::set<std::size_t> ready;
    std::vector<std::string> errors(jobs.size());
    std::size_t running = 0;
    bool failed = false;
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        waiting_for[i] = jobs[i].after.size();
        for (std::size_t before : jobs[i].after)
            followers[before].push_back(i);
        if (waiting_for[i] == 0) ready.insert(i);
    }

    const auto worker = [&] {
        std::unique_lock lock(mutex);
        for (;;) {
            changed.wait(lock, [&] { return failed || !ready.empty() || running == 0; });
            if (stop_signal()) failed = true;    // the run is interrupted: start nothing more
            if (failed || ready.empty()) break;  // stopped, or nothing more can start
            const std::size_t index = *ready.begin();
            ready.erase(ready.begin());
            ++running;
            lock.unlock();
            std::string error = run_one(jobs[index]);
            lock.lock();
            --running;
            if (!error.empty()) {
                errors[index] = std::move(error);
                failed = true;
            } else {
                for (std::size_t next : followers[index])
                    if (--waiting_for[next] == 0) ready.insert(next);
            }
            changed.notify_all();
        }
        changed.notify_all();
    };
    {
        std::vector<std::jthread> pool;
        const unsigned count = std::max(1u, std::min<unsigned>(threads, jobs.size()));
        for (unsigned i = 1; i < count; ++i)
            pool.emplace_back(worker);
        worker();
    }
    for (const std::string& error : errors)
        if (!error.empty()) return error;
    return {};
}

}  // namespace glyph::family
