// The quick-look map: every placed reading a dot coloured by one channel on
// the viridis scale (perceptually uniform, readable in grey and by most
// colour-blind eyes), clipped at two percentiles so that one strong target
// does not wash out the rest. Plane coordinates, north up, equal scales.
#include "export/svg_map.h"
#include "export/export_formats.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// viridis at 0, 1/8, ..., 1.
const unsigned char Viridis[9][3] = {{68, 1, 84},    {71, 44, 122},  {59, 81, 139},
                                     {44, 113, 142}, {33, 144, 141}, {39, 173, 129},
                                     {92, 200, 99},  {170, 220, 50}, {253, 231, 37}};

void AppendColour(std::string& out, double t)
{
    static const char Hex[] = "0123456789abcdef";
    if (!(t > 0)) t = 0;
    if (t > 1) t = 1;
    const double at = t * 8;
    const int i = std::min(7, (int)at);
    const double f = at - i;
    out += '#';
    for (int c = 0; c < 3; ++c) {
        const int v = (int)std::lround(Viridis[i][c] + (Viridis[i + 1][c] - Viridis[i][c]) * f);
        out += Hex[v >> 4];
        out += Hex[v & 15];
    }
}

double Percentile(std::vector<float> values, double percent)
{
    if (values.empty()) return 0;
    const double at = percent / 100.0 * (double)(values.size() - 1);
    const size_t k = (size_t)std::floor(at);
    std::nth_element(values.begin(), values.begin() + k, values.end());
    const double low = values[k];
    if (k + 1 >= values.size()) return low;
    const double high = *std::min_element(values.begin() + k + 1, values.end());
    return low + (high - low) * (at - (double)k);
}

// 1, 2 or 5 times a power of ten, at most `most`.
double RoundLength(double most)
{
    if (!(most > 0)) return 1;
    const double p = std::pow(10.0, std::floor(std::log10(most)));
    return most >= 5 * p ? 5 * p : most >= 2 * p ? 2 * p : p;
}

void Text(std::string& out, double x, double y, const std::string& text, const char* extra = "")
{
    out += "<text x=\"";
    AppendFixed(out, x, 1);
    out += "\" y=\"";
    AppendFixed(out, y, 1);
    out += "\" ";
    out += extra;
    out += '>';
    for (char c : text) {
        if (c == '<')
            out += "&lt;";
        else if (c == '&')
            out += "&amp;";
        else if (c == '>')
            out += "&gt;";
        else if ((unsigned char)c >= 0x20 && (unsigned char)c < 0x80)
            out += c;
    }
    out += "</text>\n";
}

std::string Number(double v, int decimals)
{
    std::string t;
    AppendFixed(t, v, decimals);
    return t;
}

} // namespace

int SvgMapText(const Survey& s, const MapOptions& options, std::string& out, std::string& why)
{
    const int channel = options.Channel >= 1 && options.Channel <= 4 ? options.Channel - 1 : 0;
    std::vector<size_t> placed;
    std::vector<float> values;
    for (size_t i = 0; i < s.Readings.size(); ++i) {
        const SurveyReading& r = s.Readings[i];
        if (r.Source == POSITION_NONE || !r.Decoded || !std::isfinite(r.Ch[channel])) continue;
        placed.push_back(i);
        values.push_back(r.Ch[channel]);
    }
    if (placed.empty()) {
        why = s.Readings.empty() ? "the file holds no readings" : "no reading has a position";
        return 0;
    }
    const bool grid = s.Readings[placed[0]].Source == POSITION_GRID;
    auto xOf = [&](const SurveyReading& r) { return grid ? r.X : r.E; };
    auto yOf = [&](const SurveyReading& r) { return grid ? r.Y : r.N; };
    double x0 = xOf(s.Readings[placed[0]]), x1 = x0, y0 = yOf(s.Readings[placed[0]]), y1 = y0;
    for (size_t i : placed) {
        x0 = std::min(x0, xOf(s.Readings[i])), x1 = std::max(x1, xOf(s.Readings[i]));
        y0 = std::min(y0, yOf(s.Readings[i])), y1 = std::max(y1, yOf(s.Readings[i]));
    }
    const double low = Percentile(values, options.LowPercent);
    double high = Percentile(values, options.HighPercent);
    if (!(high > low)) high = low + 1;

    const double Left = 50, Top = 50, PlotW = 650, PlotH = 570;
    double spanX = x1 - x0, spanY = y1 - y0;
    if (spanX < 1e-6 && spanY < 1e-6) spanX = spanY = 1;
    const double scale =
        std::min(spanX > 0 ? PlotW / spanX : 1e30, spanY > 0 ? PlotH / spanY : 1e30);
    const double offX = Left + (PlotW - spanX * scale) / 2,
                 offY = Top + (PlotH - spanY * scale) / 2;
    auto px = [&](double x) { return offX + (x - x0) * scale; };
    auto py = [&](double y) { return offY + (y1 - y) * scale; };
    const char* unit = grid ? (s.Header.Units == 0 ? "m" : "ft") : "m";

    out.reserve(placed.size() * 64 + 8192);
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"900\" height=\"700\" "
           "viewBox=\"0 0 900 700\" font-family=\"sans-serif\" font-size=\"12\">\n"
           "<rect width=\"900\" height=\"700\" fill=\"white\"/>\n"
           "<rect x=\"50\" y=\"50\" width=\"650\" height=\"570\" fill=\"none\" stroke=\"#999\"/>\n";
    Text(out, Left, 30,
         s.Name + " - channel " + std::to_string(channel + 1) +
             (grid ? " - local grid (x, y)"
                   : " - UTM zone " + std::to_string(s.Fixes.empty() ? 0 : s.Fixes[0].Zone)),
         "font-size=\"15\"");
    // Dots, weakest first so that the strong ones lie on top.
    std::vector<size_t> order(placed.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return values[a] < values[b]; });
    out += "<g stroke=\"none\">\n";
    for (size_t k : order) {
        const SurveyReading& r = s.Readings[placed[k]];
        out += "<circle cx=\"";
        AppendFixed(out, px(xOf(r)), 1);
        out += "\" cy=\"";
        AppendFixed(out, py(yOf(r)), 1);
        out += "\" r=\"2\" fill=\"";
        AppendColour(out, (values[k] - low) / (high - low));
        out += "\"/>\n";
    }
    out += "</g>\n";
    // Line labels at each line's first placed reading, where they do not
    // cover an earlier label; comment markers at theirs.
    std::vector<int> labelled(s.Lines.size(), 0);
    std::vector<std::pair<double, double>> labels;
    for (size_t i : placed) {
        const SurveyReading& r = s.Readings[i];
        if (r.Line < 0 || labelled[r.Line]) continue;
        labelled[r.Line] = 1;
        const double x = px(xOf(r)) + 4, y = py(yOf(r)) - 4;
        const std::string text = "L " + s.Lines[r.Line].Name;
        bool covers = false;
        for (const auto& l : labels)
            covers = covers ||
                     (std::fabs(l.second - y) < 14 && std::fabs(l.first - x) < 8.0 * text.size());
        if (covers) continue;
        labels.push_back({x, y});
        Text(out, x, y, text, "font-weight=\"bold\" fill=\"#c00\"");
    }
    for (const SurveyNote& note : s.Notes) {
        const int at = note.Tag == 'C' ? PlacedReadingOf(s, note) : -1;
        if (at < 0) continue;
        const SurveyReading& r = s.Readings[at];
        const double x = px(xOf(r)), y = py(yOf(r));
        out += "<path d=\"M" + Number(x, 1) + "," + Number(y - 9, 1) +
               " l-5,-9 h10 z\" "
               "fill=\"#f60\" stroke=\"black\" stroke-width=\"0.7\"/>\n";
        Text(out, x + 7, y - 12, note.Text, "fill=\"#000\" font-style=\"italic\"");
    }
    // Scale bar: a round length near a fifth of the plot.
    const double length = RoundLength(PlotW / 5 / scale);
    const double barY = Top + PlotH + 30, barW = length * scale;
    out += "<rect x=\"50\" y=\"" + Number(barY, 1) + "\" width=\"" + Number(barW, 1) +
           "\" height=\"5\" fill=\"black\"/>\n";
    Text(out, Left + barW + 6, barY + 6, Number(length, length < 1 ? 3 : 0) + " " + unit);
    // North arrow, under the legend.
    out += "<path d=\"M752,560 l-10,26 l10,-7 l10,7 z\" fill=\"black\"/>\n";
    Text(out, 747, 552, "N", "font-weight=\"bold\"");
    // Legend: the colour scale in slices (every renderer draws rectangles)
    // with mV values.
    const double legX = 740, legTop = 80, legH = 400, legW = 24;
    const int Slices = 64;
    for (int i = 0; i < Slices; ++i) {
        out += "<rect x=\"740\" y=\"" + Number(legTop + legH * (Slices - 1 - i) / Slices, 2) +
               "\" width=\"24\" height=\"" + Number(legH / Slices + 0.5, 2) +
               "\" stroke=\"none\" shape-rendering=\"crispEdges\" fill=\"";
        AppendColour(out, (i + 0.5) / Slices);
        out += "\"/>\n";
    }
    out +=
        "<rect x=\"740\" y=\"80\" width=\"24\" height=\"400\" fill=\"none\" stroke=\"black\"/>\n";
    Text(out, legX, legTop - 12, "ch" + std::to_string(channel + 1) + " (mV)",
         "font-weight=\"bold\"");
    for (int i = 0; i <= 4; ++i) {
        const double v = low + (high - low) * i / 4.0;
        const double y = legTop + legH - legH * i / 4.0;
        out += "<line x1=\"764\" x2=\"770\" y1=\"" + Number(y, 1) + "\" y2=\"" + Number(y, 1) +
               "\" stroke=\"black\"/>\n";
        Text(out, legX + legW + 10, y + 4, Number(v, std::fabs(high - low) < 10 ? 2 : 1));
    }
    Text(out, legX, legTop + legH + 20,
         "clipped at " + Number(options.LowPercent, 0) + "% and " + Number(options.HighPercent, 0) +
             "%",
         "font-size=\"10\"");
    Text(out, legX, legTop + legH + 34, std::to_string(placed.size()) + " readings",
         "font-size=\"10\"");
    out += "</svg>\n";
    return 1;
}
