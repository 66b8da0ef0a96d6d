// untranspose-key --keyed: the keyed search run on every thread, with its
// progress on standard error.  Everything is allocated once, when the
// solver is made.
#ifndef UNTRANSPOSE_KEYED_SOLVER_H
#define UNTRANSPOSE_KEYED_SOLVER_H

#include "keyed_search.h"
#include "progress_line.h"
#include "text_lines.h"
#include "worker_pool.h"

#include <memory>
#include <span>

class keyed_solver {
public:
	keyed_solver(const char *program, const language_model &model, unsigned threads, bool show_progress);
	keyed_solver(const keyed_solver &) = delete;
	keyed_solver &operator=(const keyed_solver &) = delete;

	// False if its memory could not be had.
	[[nodiscard]] bool ready() const noexcept { return ready_; }

	// Scores with `model` from the next search on.
	void use(const language_model &model) noexcept;

	// Searches the compact text read at `place`; the answers, best first,
	// stand until the next search.
	std::span<const keyed_answer> solve(std::span<const char> compact, const keyed_settings &settings,
	                                    const line_place &place);

	// How many restarts of the last search reached one of its answers.
	[[nodiscard]] std::uint32_t restarts_at(const keyed_answer &answer) const noexcept
	{
		return ::restarts_at(*search_, answer);
	}

private:
	static void run(void *context, std::size_t job, unsigned worker) noexcept;
	static bool take(void *context, std::size_t job) noexcept;
	void show();

	const char *program_;
	progress_line progress_;
	bool ready_ = false;
	worker_pool pool_;
	std::unique_ptr<keyed_tables> tables_;
	std::unique_ptr<keyed_search> search_;
	std::unique_ptr<order_scratch[]> scratch_;
	std::unique_ptr<job_result[]> results_;
	search_job jobs_[MOST_ROUND_JOBS];
	std::int32_t searching_ = 0;
	line_place place_{};
};

#endif
