// A heat map of solved shares and median times, as an SVG picture: one or
// more panels of cells side by side, red for none solved through yellow
// to green for all.
#ifndef UNTRANSPOSE_BENCH_HEAT_MAP_H
#define UNTRANSPOSE_BENCH_HEAT_MAP_H

#include "process_runs.h"

#include <cstddef>
#include <string>
#include <vector>

struct heat_panel {
	std::string title;                       // over the panel, or empty
	std::vector<std::vector<summary>> cells; // by row, then by column
};

struct heat_axes {
	std::string title;
	std::vector<std::size_t> columns, rows;  // the labels along each side
	std::string column_name, row_name;
};

// Writes the panels to `svg`; returns 0, or 1 if it could not be written.
int draw_heat_map(const std::string &svg, const heat_axes &axes, const std::vector<heat_panel> &panels);

#endif
