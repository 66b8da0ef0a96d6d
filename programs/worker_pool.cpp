#include "worker_pool.h"

#include <algorithm>

worker_pool::worker_pool(unsigned threads)
{
	helpers_.reserve(std::max(threads, 1u) - 1);
	for (unsigned worker = 1; worker < threads; worker++)
		helpers_.emplace_back([this, worker] { help(worker); });
}

worker_pool::~worker_pool()
{
	{
		const std::lock_guard<std::mutex> lock(mutex_);
		quitting_ = true;
	}
	wake_.notify_all();
	// Joined here, while what they wait on still stands.
	for (std::thread &helper : helpers_)
		helper.join();
}

void worker_pool::help(unsigned worker)
{
	std::size_t seen = 0;
	for (;;) {
		{
			std::unique_lock<std::mutex> lock(mutex_);
			wake_.wait(lock, [&] { return quitting_ || generation_ != seen; });
			if (quitting_)
				return;
			seen = generation_;
		}
		work_through(worker);
		{
			const std::lock_guard<std::mutex> lock(mutex_);
			busy_--;
		}
		finished_.notify_all();
	}
}

void worker_pool::work_through(unsigned worker)
{
	for (;;) {
		const std::size_t job = next_.fetch_add(1);
		if (job >= count_ || stop_.load())
			return;
		work_->run(work_->context, job, worker);
		const std::lock_guard<std::mutex> lock(mutex_);
		done_[job] = true;
		while (taken_ < count_ && done_[taken_] && !stop_.load()) {
			if (work_->take(work_->context, taken_))
				stop_.store(true);
			taken_++;
		}
	}
}

void worker_pool::run(std::size_t count, const ordered_work &work)
{
	{
		const std::lock_guard<std::mutex> lock(mutex_);
		work_ = &work;
		count_ = std::min(count, MOST_JOBS);
		next_.store(0);
		taken_ = 0;
		std::fill(done_, done_ + count_, false);
		stop_.store(false);
		busy_ = helpers_.size();
		generation_++;
	}
	wake_.notify_all();
	work_through(0);
	std::unique_lock<std::mutex> lock(mutex_);
	finished_.wait(lock, [&] { return busy_ == 0; });
	stop_.store(false);
}

unsigned processor_count() noexcept
{
	return std::max(std::thread::hardware_concurrency(), 1u);
}
