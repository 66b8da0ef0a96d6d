#include "keyed_steps.h"

#include <algorithm>
#include <new>

bool keyed_steps::begin(const language_model &model, std::span<const char> compact, const keyed_settings &settings)
{
	if (!search_) {
		tables_.reset(new (std::nothrow) keyed_tables);
		search_.reset(new (std::nothrow) keyed_search);
		scratch_.reset(new (std::nothrow) order_scratch);
		result_.reset(new (std::nothrow) job_result);
		jobs_.reset(new (std::nothrow) search_job[MOST_ROUND_JOBS]);
		if (!tables_ || !search_ || !scratch_ || !result_ || !jobs_) {
			search_.reset();
			return false;
		}
		tables_->model = nullptr;
	}
	if (tables_->model != &model)
		build_keyed_tables(model, *tables_);
	begin_search(*search_, *tables_, compact, settings);
	job_count_ = next_job_ = 0;
	searching_ = 0;
	return true;
}

bool keyed_steps::step()
{
	if (next_job_ == job_count_) {
		job_count_ = plan_round(*search_, {jobs_.get(), MOST_ROUND_JOBS});
		next_job_ = 0;
		if (job_count_ == 0)
			return false;
	}
	const search_job &job = jobs_[next_job_++];
	searching_ = job.columns;
	run_job(*search_, job, *scratch_, *result_, nullptr);
	if (take_result(*search_, *result_))
		next_job_ = job_count_ = 0;
	return true;
}

double keyed_steps::progress() const
{
	const keyed_search &search = *search_;
	if (search.last_round == 0)
		return 1;
	const double within = job_count_ == 0 ? 1 : static_cast<double>(next_job_) / static_cast<double>(job_count_);
	return std::min(1.0, (std::max(search.round, 1u) - 1 + within) / search.last_round);
}
