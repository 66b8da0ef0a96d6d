// A line of progress on standard error, rewritten in place as long work
// goes on, and cleared when it ends; shown only when standard error is a
// terminal.
#ifndef UNTRANSPOSE_PROGRESS_LINE_H
#define UNTRANSPOSE_PROGRESS_LINE_H

class progress_line {
public:
	// Shows nothing unless `wanted` and standard error is a terminal.
	explicit progress_line(bool wanted);

	// Writes the line anew, as printf would, over what was there.
	void show(const char *format, ...) noexcept;

	// Leaves the line empty.
	void clear() noexcept;

private:
	bool on_;
	int shown_ = 0;   // the longest line shown since the last clear
};

#endif
