#include "every_order.h"

#include "scoring.h"
#include "words.h"

#include <algorithm>

namespace {

constexpr std::size_t MOST = MOST_EVERY_ORDER_COLUMNS;

// A kind of quadgram of the decoding: the four cells from a column of a
// row on, each in a column and so many rows down, and how many rows it
// starts in.
struct window {
	std::size_t column[4];
	std::size_t down[4];
	std::size_t rows;
};

// The tree of orders of one grid.  Columns are placed one at a time, from
// the left, or from the right when most columns are long: in an incomplete
// grid a run's start depends on how many long columns were read out
// before it, which is known only once the long columns, or the short ones,
// are all placed, and the fewer of those the sooner.  Each quadgram is
// scored as soon as its cells are known.
class order_tree {
public:
	order_tree(const keyed_tables &tables, std::span<const std::uint8_t> symbols, const grid_shape &shape,
	           const crib_list &cribs, std::int64_t most_ends, kept_orders &kept, const std::atomic<bool> *stop) noexcept
	    : tables_(tables), symbols_(symbols), shape_(shape), k_(shape.columns), cribs_(cribs),
	      most_ends_(most_ends), most_edges_(most_edge_levels(*tables.model)),
	      most_window_words_(static_cast<std::int32_t>(WORD_WINDOW) * tables.model->most_word_gain), kept_(kept),
	      stop_(stop)
	{
		const std::size_t extra = shape.extra;
		const bool from_left = extra == 0 || extra <= k_ - extra;
		known_ = extra == 0 ? 0 : from_left ? extra : k_ - extra;
		std::size_t depth_of[MOST];
		for (std::size_t d = 0; d < k_; d++) {
			fill_[d] = from_left ? d : k_ - 1 - d;
			depth_of[fill_[d]] = d;
		}
		std::fill(due_count_, due_count_ + k_ + 1, 0);
		std::fill(rest_, rest_ + k_ + 1, 0);
		for (std::size_t c = 0; c < k_; c++) {
			window &w = windows_[c];
			std::size_t placed = known_;
			w.rows = symbols.size();
			for (std::size_t i = 0; i < 4; i++) {
				w.column[i] = (c + i) % k_;
				w.down[i] = (c + i) / k_;
				const std::size_t height = shape.rows + (w.column[i] < extra ? 1 : 0);
				w.rows = std::min(w.rows, height > w.down[i] ? height - w.down[i] : 0);
				placed = std::max(placed, depth_of[w.column[i]] + 1);
			}
			if (w.rows == 0)
				continue;
			due_[placed][due_count_[placed]++] = c;
			for (std::size_t f = 0; f < placed; f++)
				rest_[f] += static_cast<std::int64_t>(w.rows) * tables.most_level;
		}
	}

	void run_from(std::size_t first) noexcept
	{
		std::fill(used_, used_ + k_, false);
		partial_[0] = 0;
		if (known_ == 0)
			starts_from_slots();
		place(0, first);
	}

private:
	// The start of each slot's run, when the long columns are those placed
	// left of shape.extra, or, before any is placed, when none is long.
	void starts_from_slots() noexcept
	{
		bool long_slot[MOST] = {};
		for (std::size_t d = 0; d < known_; d++) {
			const std::size_t column = fill_[d];
			if (column < shape_.extra)
				long_slot[slots_[column]] = true;
		}
		if (known_ > 0 && fill_[0] >= shape_.extra) {
			// The short columns are placed: the long ones are the rest.
			std::fill(long_slot, long_slot + k_, true);
			for (std::size_t d = 0; d < known_; d++)
				long_slot[slots_[fill_[d]]] = false;
		}
		std::size_t at = 0;
		for (std::size_t j = 0; j < k_; j++) {
			start_[j] = at;
			at += shape_.rows + (long_slot[j] ? 1 : 0);
		}
	}

	std::int64_t score_window(const window &w) const noexcept
	{
		const std::uint8_t *a = run_[w.column[0]] + w.down[0], *b = run_[w.column[1]] + w.down[1];
		const std::uint8_t *c = run_[w.column[2]] + w.down[2], *d = run_[w.column[3]] + w.down[3];
		std::int64_t total = 0;
		for (std::size_t r = 0; r < w.rows; r++)
			total += tables_.quadgrams[((a[r] * SYMBOLS + b[r]) * SYMBOLS + c[r]) * SYMBOLS + d[r]];
		return total;
	}

	// Whether nothing from here on can be kept: even if every quadgram
	// left took the highest level, and the ends scored their most.
	bool hopeless(std::int64_t bound) const noexcept
	{
		if (kept_.count < EVERY_ORDER_KEPT)
			return false;
		const scored_order &last = kept_.orders[kept_.count - 1];
		return last.cribs == cribs_.count && bound < last.score;
	}

	void place(std::size_t depth, std::size_t slot) noexcept
	{
		if (depth >= k_ || depth >= MOST)
			return;
		if (stop_ != nullptr && (++visits_ & 4095) == 0 && stop_->load(std::memory_order_relaxed))
			return;
		const std::size_t column = fill_[depth];
		slots_[column] = static_cast<std::int32_t>(slot);
		used_[slot] = true;
		const std::size_t placed = depth + 1;
		if (placed == known_) {
			starts_from_slots();
			for (std::size_t d = 0; d < placed; d++)
				run_[fill_[d]] = symbols_.data() + start_[static_cast<std::size_t>(slots_[fill_[d]])];
		} else if (placed > known_) {
			run_[column] = symbols_.data() + start_[slot];
		}
		std::int64_t score = partial_[depth];
		for (std::size_t i = 0; i < due_count_[placed]; i++)
			score += score_window(windows_[due_[placed][i]]);
		partial_[placed] = score;
		if (placed == k_)
			leaf(score);
		else if (!hopeless(score + rest_[placed] + most_ends_))
			for (std::size_t next = 0; next < k_; next++)
				if (!used_[next])
					place(placed, next);
		used_[slot] = false;
	}

	// The symbol of cell p of the decoding, in reading order.
	std::uint8_t cell(std::size_t p) const noexcept { return run_[p % k_][p / k_]; }

	void leaf(std::int64_t quadgrams) noexcept
	{
		if (hopeless(quadgrams + most_ends_))
			return;
		scored_order order{};
		if (cribs_.count > 0) {
			for (std::size_t p = 0; p < symbols_.size(); p++)
				decoded_[p] = cell(p);
			order.cribs = cribs_held(cribs_, {decoded_, symbols_.size()});
			if (kept_.count == EVERY_ORDER_KEPT) {
				const scored_order &last = kept_.orders[kept_.count - 1];
				if (order.cribs < last.cribs || (order.cribs == last.cribs && quadgrams + most_ends_ < last.score))
					return;
			}
		}
		std::uint8_t first[WORD_WINDOW], last[WORD_WINDOW];
		std::size_t firsts = 0, lasts = 0;
		for (std::size_t p = 0; p < symbols_.size() && firsts < WORD_WINDOW; p++)
			if (const std::uint8_t s = cell(p); s < 26)
				first[firsts++] = s;
		for (std::size_t p = symbols_.size(); p > 0 && lasts < WORD_WINDOW; p--)
			if (const std::uint8_t s = cell(p - 1); s < 26)
				last[lasts++] = s;
		// The opening's words first: the close need not be split if even
		// its best could not make the order one to keep.
		const language_model &model = *tables_.model;
		const std::int32_t opening = opening_words(model, {first, firsts});
		if (hopeless(quadgrams + most_edges_ + word_levels(model, opening + most_window_words_) + 1))
			return;
		const std::int32_t closing = closing_words(model, {last, lasts});
		order.score = quadgrams + edge_levels(model, {first, firsts}, {last, lasts}) +
		              word_levels(model, opening + closing);
		std::copy_n(slots_, k_, order.slots);
		keep(order);
	}

	void keep(const scored_order &order) noexcept
	{
		if (kept_.count == EVERY_ORDER_KEPT && !ranks_before(order, kept_.orders[kept_.count - 1], k_))
			return;
		std::size_t at = kept_.count < EVERY_ORDER_KEPT ? kept_.count++ : kept_.count - 1;
		for (; at > 0 && ranks_before(order, kept_.orders[at - 1], k_); at--)
			kept_.orders[at] = kept_.orders[at - 1];
		kept_.orders[at] = order;
	}

	const keyed_tables &tables_;
	std::span<const std::uint8_t> symbols_;
	grid_shape shape_;
	std::size_t k_;
	const crib_list &cribs_;
	std::int64_t most_ends_;
	std::int64_t most_edges_;
	std::int32_t most_window_words_;
	kept_orders &kept_;
	const std::atomic<bool> *stop_;
	std::size_t known_ = 0;         // placements after which the runs' starts are known
	std::size_t fill_[MOST] = {};   // the column placed at each depth
	window windows_[MOST] = {};
	std::size_t due_[MOST + 1][MOST] = {};   // the windows scored once so many columns are placed
	std::size_t due_count_[MOST + 1] = {};
	std::int64_t rest_[MOST + 1] = {};      // the most that those not yet scored can add
	std::int32_t slots_[MOST] = {};
	bool used_[MOST] = {};
	std::size_t start_[MOST] = {};
	const std::uint8_t *run_[MOST] = {};
	std::int64_t partial_[MOST + 1] = {};
	std::uint64_t visits_ = 0;
	std::uint8_t decoded_[BUFFER_SIZE];
};

} // namespace

bool tries_every_order(const grid_shape &shape, std::uint64_t budget) noexcept
{
	if (shape.columns < 2 || shape.columns > MOST_EVERY_ORDER_COLUMNS)
		return false;
	std::uint64_t orders = 1;
	for (std::size_t k = 2; k <= shape.columns; k++)
		orders *= k;
	return orders * (shape.rows + 1) <= budget;
}

bool ranks_before(const scored_order &a, const scored_order &b, std::size_t columns) noexcept
{
	if (a.cribs != b.cribs)
		return a.cribs > b.cribs;
	if (a.score != b.score)
		return a.score > b.score;
	return std::lexicographical_compare(a.slots, a.slots + columns, b.slots, b.slots + columns);
}

void try_every_order(const keyed_tables &tables, std::span<const std::uint8_t> symbols, const grid_shape &shape,
                     std::size_t first, const crib_list &cribs, std::int64_t most_ends, kept_orders &kept,
                     const std::atomic<bool> *stop) noexcept
{
	kept.count = 0;
	if (shape.columns < 2 || shape.columns > MOST || first >= shape.columns)
		return;
	symbols = symbols.first(std::min(symbols.size(), shape.columns * shape.rows + shape.extra));
	order_tree tree(tables, symbols, shape, cribs, most_ends, kept, stop);
	tree.run_from(first);
}
