// Whether standard error is a terminal, where long work shows its
// progress; the one place that asks the system.
#ifndef UNTRANSPOSE_TERMINAL_H
#define UNTRANSPOSE_TERMINAL_H

[[nodiscard]] bool standard_error_is_terminal() noexcept;

#endif
