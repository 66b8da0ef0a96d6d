// Threads for the programs' searches: a pool started once, which runs a
// list of jobs on all its threads and hands each job's result on in the
// order of the list, so that what is made of the results does not depend
// on how many threads there are or which finished first.  The one place
// that knows about threads.
#ifndef UNTRANSPOSE_WORKER_POOL_H
#define UNTRANSPOSE_WORKER_POOL_H

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <thread>
#include <vector>

struct ordered_work {
	void *context;
	// Runs job `job` on the thread numbered `worker`; many may run at once.
	void (*run)(void *context, std::size_t job, unsigned worker) noexcept;
	// Takes job `job`'s result, one at a time and in order; returns true
	// when no later result is wanted.
	bool (*take)(void *context, std::size_t job) noexcept;
};

class worker_pool {
public:
	// The most jobs one list may hold.
	static constexpr std::size_t MOST_JOBS = 256;

	explicit worker_pool(unsigned threads);
	~worker_pool();
	worker_pool(const worker_pool &) = delete;
	worker_pool &operator=(const worker_pool &) = delete;

	[[nodiscard]] unsigned threads() const noexcept { return static_cast<unsigned>(helpers_.size()) + 1; }

	// Runs `count` jobs and takes their results.  Once a result is taken
	// that ends the list, `stop` is set, so that jobs still running may end
	// early, and no further job starts; it is cleared before returning.
	void run(std::size_t count, const ordered_work &work);

	// Set while the jobs of a list are no longer wanted.
	[[nodiscard]] const std::atomic<bool> &stop() const noexcept { return stop_; }

private:
	void help(unsigned worker);
	void work_through(unsigned worker);

	std::vector<std::thread> helpers_;
	std::mutex mutex_;
	std::condition_variable wake_, finished_;
	std::size_t generation_ = 0;
	std::size_t busy_ = 0;
	bool quitting_ = false;

	const ordered_work *work_ = nullptr;
	std::size_t count_ = 0;
	std::atomic<std::size_t> next_{0};
	std::size_t taken_ = 0;
	bool done_[MOST_JOBS] = {};
	std::atomic<bool> stop_{false};
};

// The number of threads to use when none is asked for: one per processor.
[[nodiscard]] unsigned processor_count() noexcept;

#endif
