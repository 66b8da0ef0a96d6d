#include "heat_map.h"

#include <cstdio>
#include <fstream>

int draw_heat_map(const std::string &svg, const heat_axes &axes, const std::vector<heat_panel> &panels)
{
	std::ofstream out(svg, std::ios::binary);
	const int cell_w = 64, cell_h = 40, left = 70, top = 70, gap = 40;
	const int panel_w = cell_w * static_cast<int>(axes.columns.size());
	const int width = left + static_cast<int>(panels.size()) * (panel_w + gap);
	const int height = top + cell_h * static_cast<int>(axes.rows.size()) + 50;
	out << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << width << "\" height=\"" << height
	    << "\" font-family=\"sans-serif\" font-size=\"12\">\n";
	out << "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
	out << "<text x=\"" << left << "\" y=\"20\" font-size=\"14\">" << axes.title << "</text>\n";
	const int middle = top + cell_h * static_cast<int>(axes.rows.size()) / 2;
	out << "<text x=\"16\" y=\"" << middle << "\" transform=\"rotate(-90 16 " << middle
	    << ")\" text-anchor=\"middle\">" << axes.row_name << "</text>\n";
	for (std::size_t j = 0; j < axes.rows.size(); j++)
		out << "<text x=\"" << left - 10 << "\" y=\"" << top + cell_h * static_cast<int>(j) + cell_h / 2 + 4
		    << "\" text-anchor=\"end\">" << axes.rows[j] << "</text>\n";
	for (std::size_t p = 0; p < panels.size(); p++) {
		const int x0 = left + static_cast<int>(p) * (panel_w + gap);
		if (!panels[p].title.empty())
			out << "<text x=\"" << x0 + panel_w / 2 << "\" y=\"" << top - 30 << "\" text-anchor=\"middle\">"
			    << panels[p].title << "</text>\n";
		for (std::size_t i = 0; i < axes.columns.size(); i++)
			out << "<text x=\"" << x0 + cell_w * static_cast<int>(i) + cell_w / 2 << "\" y=\"" << top - 8
			    << "\" text-anchor=\"middle\">" << axes.columns[i] << "</text>\n";
		out << "<text x=\"" << x0 + panel_w / 2 << "\" y=\"" << height - 12 << "\" text-anchor=\"middle\">"
		    << axes.column_name << "</text>\n";
		for (std::size_t j = 0; j < axes.rows.size(); j++)
			for (std::size_t i = 0; i < axes.columns.size(); i++) {
				const summary &s = panels[p].cells[j][i];
				// Hue from 0 (red) to 120 (green) with the share solved.
				const int hue = static_cast<int>(120 * s.solved);
				const int x = x0 + cell_w * static_cast<int>(i), y = top + cell_h * static_cast<int>(j);
				out << "<rect x=\"" << x << "\" y=\"" << y << "\" width=\"" << cell_w << "\" height=\"" << cell_h
				    << "\" fill=\"hsl(" << hue << ",70%,60%)\" stroke=\"white\"/>\n";
				char label[64];
				std::snprintf(label, sizeof label, "%.0f%%", 100 * s.solved);
				out << "<text x=\"" << x + cell_w / 2 << "\" y=\"" << y + 17 << "\" text-anchor=\"middle\">" << label
				    << "</text>\n";
				std::snprintf(label, sizeof label, "%.1fs", s.median);
				out << "<text x=\"" << x + cell_w / 2 << "\" y=\"" << y + 32
				    << "\" text-anchor=\"middle\" font-size=\"10\">" << label << "</text>\n";
			}
	}
	out << "</svg>\n";
	std::printf("heat map: %s\n", svg.c_str());
	return out ? 0 : 1;
}
