// The keyed search run a job at a time, in the order that
// untranspose-key --jobs 1 runs its jobs, so that the page's worker can
// show how far it has gone and take a request to stop between jobs.  Its
// memory is had the first time it is begun, and kept.
#ifndef UNTRANSPOSE_WEB_KEYED_STEPS_H
#define UNTRANSPOSE_WEB_KEYED_STEPS_H

#include "keyed_search.h"
#include "keyed_tables.h"

#include <cstdint>
#include <memory>
#include <span>

class keyed_steps {
public:
	// Begins the search of `compact`, which must stay as it is, in
	// `model`'s terms; false if its memory cannot be had.
	[[nodiscard]] bool begin(const language_model &model, std::span<const char> compact, const keyed_settings &settings);

	// Runs the next job; false once the search is done.
	bool step();

	// How far the search has gone, from 0 to 1: its rounds are bounded,
	// but it may settle before the last.
	[[nodiscard]] double progress() const;

	// The number of columns the last job searched.
	[[nodiscard]] std::int32_t columns() const { return searching_; }

	[[nodiscard]] const keyed_search &search() const { return *search_; }
	[[nodiscard]] const keyed_tables &tables() const { return *tables_; }

private:
	std::unique_ptr<keyed_tables> tables_;
	std::unique_ptr<keyed_search> search_;
	std::unique_ptr<order_scratch> scratch_;
	std::unique_ptr<job_result> result_;
	std::unique_ptr<search_job[]> jobs_;
	std::size_t job_count_ = 0, next_job_ = 0;
	std::int32_t searching_ = 0;
};

#endif
