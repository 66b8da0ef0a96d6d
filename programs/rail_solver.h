// untranspose-key --cipher redefence: the search for a redefence's rails,
// offset and order, run on every thread, with its progress on standard
// error.  Everything is allocated once, when the solver is made.
#ifndef UNTRANSPOSE_RAIL_SOLVER_H
#define UNTRANSPOSE_RAIL_SOLVER_H

#include "progress_line.h"
#include "rail_orders.h"
#include "text_lines.h"
#include "worker_pool.h"

#include <memory>
#include <span>

class rail_solver {
public:
	rail_solver(const char *program, const language_model &model, unsigned threads, bool show_progress);
	rail_solver(const rail_solver &) = delete;
	rail_solver &operator=(const rail_solver &) = delete;

	// False if its memory could not be had.
	[[nodiscard]] bool ready() const noexcept { return ready_; }

	// Scores with `model` from the next search on.
	void use(const language_model &model) noexcept;

	// Searches the compact text read at `place`; the answers, best first,
	// stand until the next search.
	std::span<const rail_answer> solve(std::span<const char> compact, const rail_settings &settings,
	                                   const line_place &place);

private:
	static void run(void *context, std::size_t job, unsigned worker) noexcept;
	static bool take(void *context, std::size_t job) noexcept;
	void show();

	const char *program_;
	progress_line progress_;
	bool ready_ = false;
	worker_pool pool_;
	std::unique_ptr<keyed_tables> tables_;
	std::unique_ptr<rail_search> search_;
	std::unique_ptr<rail_scratch[]> scratch_;
	std::unique_ptr<rail_job_result[]> results_;
	rail_job jobs_[MOST_RAIL_JOBS];
	rail_job searching_{};
	line_place place_{};
};

#endif
